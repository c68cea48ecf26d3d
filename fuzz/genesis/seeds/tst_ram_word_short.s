| Seed: a TST.W loop on a short-addressed word of work RAM, with an H interrupt on every line.
        .byte   0x18            | one frame; display, V and H interrupts on
        .org    0x40
        move.w  #1, (0x8000).w
wait:   tst.w   (0x8000).w
        bne.s   wait
        bra.s   wait
