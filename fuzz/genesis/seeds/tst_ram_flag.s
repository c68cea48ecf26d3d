| Seed: a TST loop on a flag in work RAM, as code waits for its V-interrupt handler.
| Layout of every seed: byte 0 the flags, 0x01-0x3F the Z80's RAM, 0x40 on the 68000's
| program (it runs from 0x200, so only relative branches are used).
        .byte   0x09            | two frames; display and V interrupt on
        .org    0x40
wait:   tst.b   0xFF0000
        beq.s   wait
        move.b  #0, 0xFF0000
        bra.s   wait
