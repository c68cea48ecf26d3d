| The memory and address-register forms of the integer families: a 64-bit addition through
| ADDX -(Ay),-(Ax), a string compare with CMPM in a DBNE loop, a MOVEM save and restore
| through the stack, read-modify-write arithmetic and logic on work RAM, and address
| arithmetic with ADDA, SUBA, ADDQ, SUBQ and CMPA. Ends on a line-A opcode. Results:
|   0xFF0000: 0x00000004_00000000 (0x1_FFFFFFFF + 0x2_00000001), D6 low byte 0x00 (Z clear)
|   D2 low word 2 (mismatch found at byte 5), A2 = 0x406, A3 = 0x40E, D5 low byte 0xFF (HI)
|   D3 = 0x33333333, A4 = 0x44444444 restored, A7 back at 0xFFFE00
|   0xFF0100: 0x1234007F, D4 low byte 0xFF; 0xFF0104: 0x0000; 0xFF0106: 0x80F0
|   0xFF0108: SR 0x2704 stored by MOVE from SR after TST; 0xFF010C: 0x2715 after MOVE to CCR
|   D0 low word 0xA000 (sum of four words), A6 = 0x1000, D7 low byte 0xFF (CMPA equal)
        .long   0x00FFFE00
        .long   start
start:
        | 64-bit addition in memory, least significant long first.
        lea     0xFF0000,%a1
        move.l  #0x00000001,(%a1)+
        move.l  #0xFFFFFFFF,(%a1)+
        move.l  #0x00000002,(%a1)+
        move.l  #0x00000001,(%a1)+
        lea     0xFF0008,%a0
        move    #4,%ccr
        addx.l  -(%a1),-(%a0)
        addx.l  -(%a1),-(%a0)
        seq     %d6

        | Compare two strings up to the first difference.
        lea     str1,%a2
        lea     str2,%a3
        moveq   #7,%d2
cmp:    cmpm.b  (%a2)+,(%a3)+
        dbne    %d2,cmp
        shi     %d5

        | Save two registers, clobber them, restore them.
        move.l  #0x33333333,%d3
        movea.l #0x44444444,%a4
        movem.l %d3/%a4,-(%sp)
        moveq   #0,%d3
        suba.l  %a4,%a4
        movem.l (%sp)+,%d3/%a4

        | Read-modify-write on a long in work RAM.
        lea     0xFF0100,%a5
        move.l  #0x12345678,(%a5)
        neg.l   (%a5)
        not.w   2(%a5)
        addq.l  #8,(%a5)
        subi.w  #0x000F,2(%a5)
        ori.b   #0x0F,3(%a5)
        andi.l  #0xFFFF00FF,(%a5)
        eori.w  #0xFFFF,(%a5)
        cmpi.l  #0x1234007F,(%a5)
        seq     %d4
        move.w  #0x00F0,%d1
        or.w    %d1,4(%a5)
        eor.w   %d1,4(%a5)
        tas     6(%a5)
        clr.b   7(%a5)
        add.w   %d1,6(%a5)
        move.w  #0,%ccr
        tst.w   4(%a5)
        move    %sr,8(%a5)
        move.w  #0x0015,10(%a5)
        move    10(%a5),%ccr
        move    %sr,12(%a5)

        | Address arithmetic.
        lea     table,%a0
        moveq   #0,%d0
        moveq   #3,%d1
sum:    add.w   (%a0)+,%d0
        dbf     %d1,sum
        movea.l #0x1000,%a6
        adda.w  #-2,%a6
        addq.w  #4,%a6
        subq.l  #2,%a6
        cmpa.w  #0x1000,%a6
        seq     %d7
        .word   0xA000

        .org    0x400
str1:   .ascii  "VARNTEST"
str2:   .ascii  "VARNTOST"
table:  .word   0x1000, 0x2000, 0x3000, 0x4000
