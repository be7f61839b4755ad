;***********************************************************************
; servo00.asm - example firmware for an RC servo built around an ATtiny15
;
; An example to adapt to your own servo, not a finished product. The
; generator copies this file up to and including the line "cortab:" at
; its end and appends the correction table computed for your servo; that
; source is then assembled into the HEX file for the chip.
;
; What it expects of the hardware (ATtiny15, 8 pins):
;   clock   internal RC oscillator, 1.6 MHz (the ATtiny15 has no other).
;           Every time in here is counted in CPU cycles of 0.625 us, so the
;           oscillator's accuracy is the accuracy of the servo. If your
;           programmer writes the chip's calibration byte into EEPROM
;           address 0, the firmware loads it into OSCCAL at start; an
;           erased EEPROM (0xFF) leaves OSCCAL as the reset left it.
;   pin 7   PB2  receiver pulse input (positive pulses, about every 20 ms),
;                logic level; no pull-up is switched on.
;   pin 2   PB3  potentiometer wiper (ADC2). The potentiometer's ends go to
;                VCC and GND; the ADC measures against VCC, so the reading
;                does not depend on the supply voltage.
;   pin 5   PB0  motor output A } inputs of an H-bridge. High on A alone must
;   pin 6   PB1  motor output B } turn the motor so that the wiper voltage
;                                 rises; B alone the other way; both low
;                                 stops the motor.
;   pin 3   PB4  not used, driven low.
;   pin 1   PB5  RESET, left as reset pin.
;   A brown-out detector fuse setting is recommended for motor supplies.
;
; How it works: one pass per receiver frame.
;   1. Measure the receiver pulse in units of 10 us (16 cycles per count),
;      the same unit as the correction table. Pulses shorter than
;      MIN_PULSE or longer than MAX_PULSE switch the motor off.
;   2. Read the potentiometer with one 8-bit conversion (ADLAR, ADCH) and
;      look the reading up in the table: Z = 2*cortab + reading, lpm.
;      The entry is the pulse width that belongs to the wiper position.
;   3. The difference between the two pulse widths gives the direction
;      and the duty of a software PWM: on for min(difference, range)
;      steps out of "range" steps of 10 us each. "range" is the PWM count
;      range, the byte right after the 256 table bytes; a difference as
;      large as the range or larger drives the motor fully on.
;   4. The PWM runs until the next pulse begins; without a pulse for
;      TIMEOUT_STEPS steps the motor is switched off.
;   Whether "forward" raises or lowers the table entry follows from the
;   table itself (first against last entry), so a reversed servo needs
;   no other wiring and no other firmware.
;
; Registers are defined here rather than included, so this file assembles
; without any include folder. Do not include tn15def.inc as well.
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

; ----- pins -----------------------------------------------------------
.equ MOTOR_A = 0                ; PB0, pin 5
.equ MOTOR_B = 1                ; PB1, pin 6
.equ RX_IN   = 2                ; PB2, pin 7
.equ SPARE   = 4                ; PB4, pin 3
.equ POT_ADC = 2                ; ADC channel 2 = PB3, pin 2

; ----- settings to adapt ----------------------------------------------
.equ MIN_PULSE     = 50         ; 0.50 ms: shorter pulses are not trusted
.equ MAX_PULSE     = 250        ; 2.50 ms: longer pulses are not trusted
.equ DEADBAND      = 1          ; differences up to 10 us leave the motor off
.equ TIMEOUT_STEPS = 3000       ; 30 ms without a pulse: motor off
.equ CAL_EEPROM    = 0          ; EEPROM address of the calibration byte

; ----- registers (the ATtiny15 has no RAM) ----------------------------
.def ZL      = r30              ; Z, the pointer of lpm
.def ZH      = r31
.def lpmval  = r0               ; lpm always loads r0
.def zero    = r1               ; always 0
.def tmp     = r16
.def pulse   = r17              ; receiver pulse width, 10 us units
.def potw    = r18              ; table entry for the wiper position
.def range   = r19              ; PWM count range: steps per PWM period
.def duty    = r20              ; steps per period with the motor on
.def left    = r21              ; steps left in the current PWM phase
.def drive   = r22              ; PORTB value while the motor is on
.def fwd     = r23              ; PORTB value that raises the table entry
.def back    = r24              ; PORTB value that lowers the table entry
.def toutl   = r26              ; PWM steps left before the signal
.def touth   = r27              ;   counts as lost

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
        ldi  tmp, (1<<ADEN)|(1<<ADPS2)
        out  ADCSR, tmp

        ; The PWM count range is the byte right after the table. A range
        ; of 0 would give a period without steps; it is taken as 1, which
        ; makes the motor either fully on or off.
        ldi  ZL, low(2*cortab+256)
        ldi  ZH, high(2*cortab+256)
        lpm
        mov  range, lpmval
        tst  range
        brne range_read
        inc  range
range_read:

        ; A table that falls from the first entry to the last belongs to a
        ; reversed servo: there output B raises the table entry.
        ldi  ZL, low(2*cortab)
        ldi  ZH, high(2*cortab)
        lpm
        mov  tmp, lpmval        ; first entry
        ldi  ZL, low(2*cortab+255)
        ldi  ZH, high(2*cortab+255)
        lpm                     ; last entry
        ldi  fwd, (1<<MOTOR_A)
        ldi  back, (1<<MOTOR_B)
        cp   lpmval, tmp
        brsh no_signal
        ldi  fwd, (1<<MOTOR_B)
        ldi  back, (1<<MOTOR_A)

; ----- no usable pulse: motor off, wait for the next whole pulse ------
no_signal:
        out  PORTB, zero
wait_low:
        sbic PINB, RX_IN        ; a pulse already under way is not measured
        rjmp wait_low
wait_high:
        sbis PINB, RX_IN
        rjmp wait_high

; ----- a pulse has begun: count it in steps of 10 us ------------------
pulse_begun:
        out  PORTB, zero        ; motor off while measuring
        clr  pulse
count_step:                     ; 16 cycles per count at 1.6 MHz
        sbis PINB, RX_IN        ; 2  (line still high: skip)
        rjmp pulse_ended
        inc  pulse              ; 1
        breq no_signal          ; 1  more than 2.55 ms
        ldi  tmp, 3             ; 1
count_wait:
        dec  tmp                ; 8  for the loop
        brne count_wait
        nop                     ; 1
        rjmp count_step         ; 2

pulse_ended:
        cpi  pulse, MIN_PULSE
        brlo no_signal
        cpi  pulse, MAX_PULSE+1
        brsh no_signal

; ----- wiper position as a pulse width from the table -----------------
        sbi  ADCSR, ADSC
adc_busy:
        sbic ADCSR, ADSC
        rjmp adc_busy
        in   tmp, ADCH          ; 8-bit reading, 0..255
        ldi  ZL, low(2*cortab)
        ldi  ZH, high(2*cortab)
        add  ZL, tmp
        adc  ZH, zero
        lpm
        mov  potw, lpmval

; ----- direction and duty from the difference -------------------------
        mov  drive, fwd
        mov  duty, pulse
        sub  duty, potw         ; pulse - entry
        brsh difference_made
        neg  duty               ; entry larger: its magnitude, other way
        mov  drive, back
difference_made:
        cpi  duty, DEADBAND+1
        brsh outside_deadband
        clr  duty
outside_deadband:
        cp   duty, range
        brlo duty_limited
        mov  duty, range
duty_limited:
        ldi  toutl, low(TIMEOUT_STEPS)
        ldi  touth, high(TIMEOUT_STEPS)

; ----- software PWM until the next pulse begins -----------------------
; Each step takes 16 cycles (10 us) and looks at the receiver line, so a
; new pulse is noticed within one step. A period is "range" steps long.
pwm_period:
        mov  left, duty
        tst  left
        breq pwm_off_phase
        out  PORTB, drive
pwm_on_step:
        sbic PINB, RX_IN        ; 2  (line low: skip)
        rjmp pulse_begun
        subi toutl, 1           ; 1
        sbci touth, 0           ; 1
        brne pwm_on_alive       ; 2
        rjmp no_signal
pwm_on_alive:
        ldi  tmp, 2             ; 1
pwm_on_wait:
        dec  tmp                ; 5  for the loop
        brne pwm_on_wait
        nop                     ; 1
        dec  left               ; 1
        brne pwm_on_step        ; 2

pwm_off_phase:
        mov  left, range
        sub  left, duty
        breq pwm_period         ; fully on: no off phase, no glitch
        out  PORTB, zero
pwm_off_step:
        sbic PINB, RX_IN        ; 2  (line low: skip)
        rjmp pulse_begun
        subi toutl, 1           ; 1
        sbci touth, 0           ; 1
        brne pwm_off_alive       ; 2
        rjmp no_signal
pwm_off_alive:
        ldi  tmp, 2             ; 1
pwm_off_wait:
        dec  tmp                ; 5  for the loop
        brne pwm_off_wait
        nop                     ; 1
        dec  left               ; 1
        brne pwm_off_step       ; 2
        rjmp pwm_period

; ----- correction table -----------------------------------------------
; 256 bytes: entry i is the pulse width (10 us units) for the reading i,
; followed by the PWM count range and a 0. It must stay the last part of
; the program: the generator keeps this file up to and including the
; label line and writes its own table after it; everything below the
; label line is only a stand-in so that this file assembles on its own
; (it is the table for the generator's default values).
cortab:   ;Tabelle mit Poti-Korrekturwerten
;Stand-in: 5.00 V supply, 0.50 V at 1.00 ms, 4.50 V at 2.00 ms
.db 100,100,100,100,100,100,100,100 ;000...007
.db 100,100,100,100,100,100,100,100 ;008...015
.db 100,100,100,100,100,100,100,100 ;016...023
.db 100,100,100,100,101,101,102,102 ;024...031
.db 103,103,104,104,105,105,106,106 ;032...039
.db 107,107,108,108,108,109,109,110 ;040...047
.db 110,111,111,112,112,113,113,114 ;048...055
.db 114,115,115,116,116,117,117,118 ;056...063
.db 118,119,119,120,120,121,121,122 ;064...071
.db 122,123,123,124,124,125,125,126 ;072...079
.db 126,127,127,128,128,129,129,129 ;080...087
.db 130,130,131,131,132,132,133,133 ;088...095
.db 134,134,135,135,136,136,137,137 ;096...103
.db 138,138,139,139,140,140,141,141 ;104...111
.db 142,142,143,143,144,144,145,145 ;112...119
.db 146,146,147,147,148,148,149,149 ;120...127
.db 150,150,150,151,151,152,152,153 ;128...135
.db 153,154,154,155,155,156,156,157 ;136...143
.db 157,158,158,159,159,160,160,161 ;144...151
.db 161,162,162,163,163,164,164,165 ;152...159
.db 165,166,166,167,167,168,168,169 ;160...167
.db 169,170,170,170,171,171,172,172 ;168...175
.db 173,173,174,174,175,175,176,176 ;176...183
.db 177,177,178,178,179,179,180,180 ;184...191
.db 181,181,182,182,183,183,184,184 ;192...199
.db 185,185,186,186,187,187,188,188 ;200...207
.db 189,189,190,190,191,191,191,192 ;208...215
.db 192,193,193,194,194,195,195,196 ;216...223
.db 196,197,197,198,198,199,199,200 ;224...231
.db 200,200,200,200,200,200,200,200 ;232...239
.db 200,200,200,200,200,200,200,200 ;240...247
.db 200,200,200,200,200,200,200,200 ;248...255
;PWM count range: 10
.db 10,0   ;PWM count range
