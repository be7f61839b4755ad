;***********************************************************************
; einlernen.asm - teach-in firmware: the servo's chip measures its own
; end stops
;
; pulsakor programs this firmware into the servo's ATtiny15 for a moment.
; The builder then moves the servo to both end stops, by hand or with the
; transmitter, and the chip keeps the lowest and the highest reading of the
; potentiometer's wiper in its EEPROM. pulsakor reads them back and turns
; them into the wiper voltages at the end stops. Afterwards the servo
; firmware itself (servo00.asm with its table) is programmed as usual.
; This file is no template: the generator never copies it.
;
; The hardware is the one of servo00.asm (see its head): ATtiny15 on its
; internal 1.6 MHz RC oscillator; receiver pulses on PB2 (pin 7); the
; wiper on PB3 (pin 2, ADC2) measured against VCC; an H-bridge on PB0
; (pin 5, alone: the wiper voltage rises) and PB1 (pin 6, alone: it
; falls); PB4 (pin 3) driven low; the calibration byte at EEPROM address
; 0, loaded into OSCCAL at start unless it is 0xFF.
;
; EEPROM layout (64 bytes):
;   address 0  the chip's calibration byte, written by the programming;
;              only read here
;   address 1  lowest steady wiper reading taught (0..255)
;   address 2  highest steady wiper reading taught (0..255)
;   address 3  check byte: lowest XOR highest XOR 0xA5
;   4..63      unused (0xFF after the chip erase)
; A new extreme is written to address 1 or 2, and the check byte after
; it, each write completed before the next begins. A write torn by a
; power loss leaves a check byte that does not fit: the result reads as
; damaged. An erased chip holds FF FF FF at 1..3 (whose check would be
; 0xA5): nothing taught yet. Lowest = highest means the wiper never moved.
;
; What it does:
;   - It reads the wiper all the time, one 8-bit conversion after the
;     other (about 150 us each). A reading counts once it has held steady:
;     the STEADY_READINGS conversions after it (64, about 10 ms) all lie
;     within +-1 of it. A spike never lasts that long, so it does not
;     widen the end stops. Once a reading has counted, the next different
;     one starts a new run, so a slow movement counts every reading on
;     its way and the end stop itself once the wiper rests there.
;   - At start it takes up what the EEPROM holds, so a power cycle keeps
;     what was taught and only new extremes widen it; an erased 1..3
;     starts from nothing. A damaged result is kept as it is, unwritten,
;     so that reading it says so: a new teach-in starts only by
;     programming this firmware again (the chip erase clears the EEPROM).
;   - Without receiver pulses the motor outputs stay off: the servo is
;     turned by hand.
;   - With receiver pulses: from NEUTRAL-DEADBAND to NEUTRAL+DEADBAND
;     (1.40 to 1.60 ms) the motor is off; a shorter pulse turns it slowly
;     so that the wiper voltage falls, a longer one so that it rises. The
;     motor is on for PWM_ON of every PWM_PERIOD steps of about 13 us (a
;     quarter of the time), so a full travel takes a few seconds and
;     nothing is driven hard into a stop. Pulses outside servo00.asm's
;     limits (0.50 to 2.50 ms) count as no pulse and stop the motor, as
;     does no valid pulse for TIMEOUT_STEPS steps (about 40 ms).
;
; Registers are defined here rather than included, as in servo00.asm.
;***********************************************************************

.device ATtiny15

; ----- I/O registers and bits of the ATtiny15 used here ---------------
.equ ADCH    = 0x05
.equ ADCSR   = 0x06
.equ ADMUX   = 0x07
.equ ACSR    = 0x08
.equ PINB    = 0x16
.equ DDRB    = 0x17
.equ PORTB   = 0x18
.equ EECR    = 0x1C
.equ EEDR    = 0x1D
.equ EEAR    = 0x1E
.equ OSCCAL  = 0x31

.equ ADLAR   = 5                ; ADMUX: left-adjusted result in ADCH
.equ ADEN    = 7                ; ADCSR: ADC enable
.equ ADSC    = 6                ; ADCSR: start conversion, reads 1 while busy
.equ ADPS2   = 2                ; ADCSR: prescaler 16 -> 100 kHz ADC clock
.equ ACD     = 7                ; ACSR: analogue comparator off
.equ EERE    = 0                ; EECR: EEPROM read enable
.equ EEWE    = 1                ; EECR: EEPROM write enable, 1 while writing
.equ EEMWE   = 2                ; EECR: EEPROM master write enable

; ----- pins -----------------------------------------------------------
.equ MOTOR_A = 0                ; PB0, pin 5: the wiper voltage rises
.equ MOTOR_B = 1                ; PB1, pin 6: the wiper voltage falls
.equ RX_IN   = 2                ; PB2, pin 7
.equ SPARE   = 4                ; PB4, pin 3
.equ POT_ADC = 2                ; ADC channel 2 = PB3, pin 2

; ----- settings -------------------------------------------------------
.equ MIN_PULSE       = 50       ; 0.50 ms: shorter pulses are no pulse
.equ MAX_PULSE       = 250      ; 2.50 ms: longer pulses are no pulse
.equ NEUTRAL         = 150      ; 1.50 ms
.equ DEADBAND        = 10       ; 1.40..1.60 ms leave the motor off
.equ PWM_PERIOD      = 64       ; steps per PWM period (a power of two)
.equ PWM_ON          = 16       ; steps with the motor on in each period
.equ TIMEOUT_STEPS   = 3000     ; no valid pulse for so many steps: off
.equ STEADY_READINGS = 64       ; readings within +-1 before one counts
.equ CAL_EEPROM      = 0        ; EEPROM address of the calibration byte
.equ EE_LOWEST       = 1        ; EEPROM addresses of what is taught
.equ EE_HIGHEST      = 2
.equ EE_CHECK        = 3
.equ CHECK_KEY       = 0xA5     ; check byte = lowest ^ highest ^ CHECK_KEY

; ----- registers (the ATtiny15 has no RAM) ----------------------------
.def zero    = r1               ; always 0
.def tmp     = r16
.def eedata  = r17              ; the byte to write, or a scratch byte
.def pulse   = r18              ; receiver pulse width, 10 us units
.def drive   = r19              ; PORTB value in the PWM's on phase; 0: off
.def pwmstep = r20              ; step within the PWM period
.def reading = r21              ; the latest wiper reading
.def steady  = r22              ; first reading of the current steady run
.def heldfor = r23              ; readings within +-1 of "steady" so far
.def lowest  = r24              ; what is taught (valid unless F_NONE)
.def highest = r25
.def toutl   = r26              ; steps left before the last valid pulse
.def touth   = r27              ;   no longer counts
.def flags   = r28

; bits of "flags"
.equ F_SEEN_LOW  = 0            ; the receiver line was low since the last
                                ; pulse began: a high line is a new pulse
.equ F_TEACH     = 1            ; new extremes are kept (not damaged)
.equ F_NONE      = 2            ; nothing taught yet
.equ F_WRITE_LOW = 3            ; address 1 is to be written
.equ F_WRITE_HIGH = 4           ; address 2 is to be written
.equ F_WRITE_CHECK = 5          ; address 3 is to be written, after them

.cseg
.org 0
        rjmp reset              ; reset
        reti                    ; INT0         interrupts stay disabled;
        reti                    ; pin change   the vectors only return
        reti                    ; timer 1 compare
        reti                    ; timer 1 overflow
        reti                    ; timer 0 overflow
        reti                    ; EEPROM ready
        reti                    ; analogue comparator
        reti                    ; ADC

reset:
        clr  zero
        ldi  tmp, CAL_EEPROM    ; oscillator calibration, when present
        out  EEAR, tmp
        sbi  EECR, EERE
        in   tmp, EEDR
        cpi  tmp, 0xFF
        breq calibrated
        out  OSCCAL, tmp
calibrated:
        out  PORTB, zero        ; motor off, no pull-ups
        ldi  tmp, (1<<MOTOR_A)|(1<<MOTOR_B)|(1<<SPARE)
        out  DDRB, tmp
        ldi  tmp, (1<<ACD)
        out  ACSR, tmp
        ldi  tmp, (1<<ADLAR)|POT_ADC    ; reference VCC, channel of the pot
        out  ADMUX, tmp
        ldi  tmp, (1<<ADEN)|(1<<ADPS2)|(1<<ADSC)    ; first conversion
        out  ADCSR, tmp

; ----- what was taught before this start ------------------------------
        ldi  tmp, EE_LOWEST
        out  EEAR, tmp
        sbi  EECR, EERE
        in   lowest, EEDR
        ldi  tmp, EE_HIGHEST
        out  EEAR, tmp
        sbi  EECR, EERE
        in   highest, EEDR
        ldi  tmp, EE_CHECK
        out  EEAR, tmp
        sbi  EECR, EERE
        in   tmp, EEDR
        ldi  flags, (1<<F_TEACH)|(1<<F_NONE)
        mov  eedata, lowest     ; erased: FF FF FF, nothing taught yet
        and  eedata, highest
        and  eedata, tmp
        cpi  eedata, 0xFF
        breq taken_up
        ldi  flags, 0           ; damaged unless the check fits
        mov  eedata, lowest
        eor  eedata, highest
        eor  eedata, tmp
        cpi  eedata, CHECK_KEY
        brne taken_up
        cp   highest, lowest
        brlo taken_up
        ldi  flags, (1<<F_TEACH)
taken_up:
        clr  drive
        clr  pwmstep
        clr  toutl
        clr  touth
        ldi  steady, 0
        clr  heldfor
        ; F_SEEN_LOW is clear: a pulse already under way is not measured.

; ----- the main loop: one step of about 13 us -------------------------
step:
        sbic PINB, RX_IN
        rjmp line_high
        sbr  flags, (1<<F_SEEN_LOW)
        rjmp line_seen
line_high:
        sbrc flags, F_SEEN_LOW
        rjmp pulse_begun
line_seen:
        subi toutl, 1           ; the last valid pulse grows older
        sbci touth, 0
        brcc pulse_recent
        clr  drive              ; too old (the count stays at its end)
        clr  toutl
        clr  touth
pulse_recent:
        inc  pwmstep
        andi pwmstep, PWM_PERIOD-1
        cpi  pwmstep, PWM_ON
        brsh motor_off
        out  PORTB, drive
        rjmp motor_set
motor_off:
        out  PORTB, zero
motor_set:
        sbic ADCSR, ADSC        ; the conversion still under way
        rjmp step
        in   reading, ADCH
        sbi  ADCSR, ADSC        ; the next one
        rjmp new_reading

; ----- a pulse has begun: count it in steps of 10 us ------------------
pulse_begun:
        out  PORTB, zero        ; motor off while measuring
        cbr  flags, (1<<F_SEEN_LOW)
        clr  pulse
count_step:                     ; 16 cycles per count at 1.6 MHz
        sbis PINB, RX_IN        ; 2  (line still high: skip)
        rjmp pulse_ended
        inc  pulse              ; 1
        breq no_pulse           ; 1  more than 2.55 ms
        ldi  tmp, 3             ; 1
count_wait:
        dec  tmp                ; 8  for the loop
        brne count_wait
        nop                     ; 1
        rjmp count_step         ; 2

pulse_ended:
        sbr  flags, (1<<F_SEEN_LOW)
        cpi  pulse, MIN_PULSE
        brlo no_pulse
        cpi  pulse, MAX_PULSE+1
        brsh no_pulse
        ldi  toutl, low(TIMEOUT_STEPS)
        ldi  touth, high(TIMEOUT_STEPS)
        clr  drive              ; around neutral: off
        cpi  pulse, NEUTRAL-DEADBAND
        brsh not_shorter
        ldi  drive, (1<<MOTOR_B)        ; shorter: the wiper voltage falls
        rjmp step
not_shorter:
        cpi  pulse, NEUTRAL+DEADBAND+1
        brlo step
        ldi  drive, (1<<MOTOR_A)        ; longer: the wiper voltage rises
        rjmp step

no_pulse:
        clr  drive
        rjmp step

; ----- a new reading: has it held steady? ------------------------------
new_reading:
        cpi  heldfor, STEADY_READINGS
        brlo not_counted
        cp   reading, steady    ; counted already: another reading starts
        brne new_run            ; the next run, so a slow movement counts
        rjmp write_eeprom       ; every reading it passes
not_counted:
        mov  tmp, reading
        sub  tmp, steady
        brsh distance_made
        neg  tmp                ; |reading - steady|
distance_made:
        cpi  tmp, 2
        brlo held
new_run:
        mov  steady, reading    ; moved: a new run starts here
        clr  heldfor
        rjmp write_eeprom
held:
        inc  heldfor
        cpi  heldfor, STEADY_READINGS
        brne write_eeprom

; ----- a steady reading counts ----------------------------------------
        sbrs flags, F_TEACH     ; a damaged result is left as it is
        rjmp write_eeprom
        sbrs flags, F_NONE
        rjmp widen
        mov  lowest, steady     ; the first one: both end stops
        mov  highest, steady
        sbr  flags, (1<<F_WRITE_LOW)|(1<<F_WRITE_HIGH)|(1<<F_WRITE_CHECK)
        cbr  flags, (1<<F_NONE)
        rjmp write_eeprom
widen:
        cp   steady, lowest
        brsh not_lower
        mov  lowest, steady
        sbr  flags, (1<<F_WRITE_LOW)|(1<<F_WRITE_CHECK)
not_lower:
        cp   highest, steady
        brsh write_eeprom
        mov  highest, steady
        sbr  flags, (1<<F_WRITE_HIGH)|(1<<F_WRITE_CHECK)

; ----- one EEPROM write at a time, the check byte last ----------------
; Runs once per reading. A write is started only when the one before has
; completed; the values go first, so the check byte is always written
; after the values it covers.
write_eeprom:
        sbic EECR, EEWE         ; the last write still under way
        rjmp step
        sbrc flags, F_WRITE_LOW
        rjmp write_lowest
        sbrc flags, F_WRITE_HIGH
        rjmp write_highest
        sbrs flags, F_WRITE_CHECK
        rjmp step
        cbr  flags, (1<<F_WRITE_CHECK)
        mov  eedata, lowest
        eor  eedata, highest
        ldi  tmp, CHECK_KEY
        eor  eedata, tmp
        ldi  tmp, EE_CHECK
        rjmp write_byte
write_lowest:
        cbr  flags, (1<<F_WRITE_LOW)
        ldi  tmp, EE_LOWEST
        mov  eedata, lowest
        rjmp write_byte
write_highest:
        cbr  flags, (1<<F_WRITE_HIGH)
        ldi  tmp, EE_HIGHEST
        mov  eedata, highest
write_byte:
        out  EEAR, tmp
        out  EEDR, eedata
        sbi  EECR, EEMWE        ; EEWE within four cycles of EEMWE
        sbi  EECR, EEWE
        rjmp step
