| Seed: the Z80 held in JP 0x0003 at 0x0003 after a NOP run, with the display on.
        .byte   0x0D            | two frames; the Z80 runs; display and V interrupt on
        .byte   0x00, 0x00, 0x00        | Z80 0x0000: NOP x 3
        .byte   0xC3, 0x03, 0x00        | Z80 0x0003: JP 0x0003
        .org    0x40
poll:   move.w  0xFF0002, %d0
        btst    #7, %d0
        beq.s   poll
        bra.s   poll
