; Smallest useful Z80 program: a counter in A, then HALT.
        ld a, 0x12
        inc a
        halt
