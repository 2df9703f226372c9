; The benchmark's program: ordinary ALU, bit and jump instructions on
; general-purpose registers only, no pins, the timer and watchdog unused.
        processor p12f508
        include <p12f508.inc>
        __config _WDT_OFF & _CP_OFF & _MCLRE_OFF & _IntRC_OSC

        org 0
loop:   movlw 0x5A
        addwf 0x10, f
        incf 0x11, f
        bsf 0x12, 3
        rlf 0x13, f
        xorlw 0x33
        andwf 0x14, w
        bcf 0x12, 3
        btfsc 0x11, 0
        decf 0x15, f
        swapf 0x16, f
        movwf 0x17
        goto loop
never:  nop                 ; the armed line breakpoint, never reached
        end
