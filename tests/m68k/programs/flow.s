| Program flow with MOVE, LEA and the branch and control instructions only: a DBF loop that
| sums through LEA, subroutine calls through JSR, BSR.S and BSR.W, conditional branches, Scc,
| LINK/UNLK. Ends on a line-A opcode, which halts the core. Results:
|   A0 = 1+2+...+10 = 55     D1 low word 0xFFFF (DBF counter expired), upper word kept
|   A2 = 3 (subroutine called three times)
|   D3 low byte 0xFF (SEQ after MOVE #0), D4 low byte 0x00 (SNE)
|   D5 low byte 0x11 (the right branch path)
|   0xFF0000: the long 0x12345678 written through the LINK frame; A6 and A7 restored
        .long   0x00FFFE00
        .long   start
start:  movea.l #0,%a0
        movea.l #1,%a1
        movea.l #0,%a2
        move.l  #0xABCD0009,%d1
        move.l  #0x77777777,%d3
        move.l  #0x77777777,%d4
loop:   lea     0(%a0,%a1.w),%a0
        lea     1(%a1),%a1
        dbf     %d1,loop
        jsr     count
        bsr.s   count
        bsr.w   count
        move.w  #0,%d7
        seq     %d3
        sne     %d4
        move.w  #5,%d7
        bmi.s   wrong
        beq.s   wrong
        bne.s   right
wrong:  move.b  #0xEE,%d5
        .word   0xA000
right:  move.b  #0x11,%d5
        movea.l #0x00FFF000,%a6
        link    %a6,#-8
        move.l  #0x12345678,-4(%a6)
        move.l  -4(%a6),0xFF0000
        unlk    %a6
        .word   0xA000
count:  lea     1(%a2),%a2
        rts
