// unfaulted-assembler: avra (found on PATH) with the arguments it was given,
// but outside the injected faults. The fault suite runs pulsakor-cli under
// fiu-run, which preloads libfiu through LD_PRELOAD; every program the run
// starts would inherit it, and the assembler's own failures are not what the
// suite tests. So this program, started by the run in the assembler's place,
// drops the preload from its environment and becomes avra. It calls nothing
// that libfiu makes fail on the way (unsetenv and exec are not among them).

#include <cstdlib>
#include <initializer_list>

#include <unistd.h>

int main(int, char *argv[])
{
    for (const char *name : {"LD_PRELOAD", "FIU_ENABLE", "FIU_CTRL_FIFO", "FIU_PRNG_SEED"})
        unsetenv(name);
    char avra[] = "avra";
    argv[0] = avra;
    execvp(avra, argv);
    return 127;
}
