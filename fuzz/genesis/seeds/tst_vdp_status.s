| Seed: a TST loop on the VDP status word.
        .byte   0x08            | one frame; display and V interrupt on
        .org    0x40
wait:   tst.w   0xC00004
        bmi.s   wait
        bra.s   wait
