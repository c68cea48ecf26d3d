! A long run of NOPs: one cycle each, so a slice of 139 cycles runs 139 of them.
        .text
        .org    0
        .long   start
        .long   0x06040000

        .org    0x40
start:
        .rept   600
        nop
        .endr
done:   bra     done
        nop
