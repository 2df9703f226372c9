; The benchmark's second program: the loop of loop.asm with timer 0 counting
; the instruction clock (prescaler 1:4) and the watchdog on, cleared on
; every round; TMR0 is read into the sum.
        processor p12f508
        include <p12f508.inc>
        __config _WDT_ON & _CP_OFF & _MCLRE_OFF & _IntRC_OSC

        org 0
        movlw b'11000001'   ; T0CS = 0, prescaler 1:4 to timer 0
        option
loop:   clrwdt
        movf TMR0, w
        addwf 0x10, f
        incf 0x11, f
        bsf 0x12, 3
        rlf 0x13, f
        xorlw 0x33
        andwf 0x14, w
        bcf 0x12, 3
        btfsc 0x11, 0
        decf 0x15, f
        goto loop
never:  nop                 ; the armed line breakpoint, never reached
        end
