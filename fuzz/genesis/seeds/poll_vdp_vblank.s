| Seed: poll loops on the VDP status word's V-blank bit, waiting for it to rise and to fall.
        .byte   0x09            | two frames; display and V interrupt on
        .org    0x40
rise:   move.w  0xC00004, %d0
        btst    #3, %d0
        beq.s   rise
fall:   move.w  0xC00004, %d1
        btst    #3, %d1
        bne.s   fall
        addq.l  #1, %d7
        bra.s   rise
