| Seed: the Z80 released to run a jump to itself (JR $), the idle loop of sound drivers,
| while the 68000 waits on work RAM.
        .byte   0x04            | one frame; the Z80 runs
        .byte   0x18, 0xFE      | Z80 0x0000: JR $
        .org    0x40
wait:   tst.b   0xFF0000
        beq.s   wait
        bra.s   wait
