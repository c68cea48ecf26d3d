| Seed: a MOVE/BTST poll loop on a bit of a work-RAM word.
        .byte   0x01            | two frames
        .org    0x40
poll:   move.w  0xFF0000, %d0
        btst    #0, %d0
        beq.s   poll
        bra.s   poll
