! Smallest useful SH-2 program: load an immediate, then loop with a delay slot.
start:  mov     #5,r0
loop:   bra     loop
        add     #1,r0
