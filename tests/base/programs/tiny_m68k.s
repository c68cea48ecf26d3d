| Smallest useful 68000 program: reset vectors, then a loop that counts D0 up.
        .long   0x00FFFE00          | initial supervisor stack pointer
        .long   start               | initial program counter
start:  moveq   #0,%d0
loop:   addq.w  #1,%d0
        bra.s   loop
