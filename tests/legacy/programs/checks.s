| A program for both instances of the older 68000 core and for the main core: loops,
| calls, register lists, decimal and word arithmetic, a trap and a self-test of the
| condition codes. Results go to 0x8000 onward; the line-A word at `done` halts the core.

        .equ    results, 0x8000

        .org    0
        .long   0x00007F00              | supervisor stack
        .long   start
        .org    0x80
        .long   trap0                   | vector 32: TRAP #0

        .org    0x200
start:  lea     results, %a5
        | Sum 1..100 with DBF.
        moveq   #0, %d0
        moveq   #99, %d1
        moveq   #1, %d2
1:      add.w   %d2, %d0
        addq.w  #1, %d2
        dbf     %d1, 1b
        move.w  %d0, (%a5)+             | 5050 = 0x13BA

        | Fibonacci by subroutine: fib(20).
        moveq   #20, %d0
        bsr     fib
        move.l  %d1, (%a5)+             | 6765 = 0x1A6D

        | Register list round trip.
        movem.l %d0-%d7, -(%sp)
        moveq   #0, %d0
        moveq   #0, %d1
        movem.l (%sp)+, %d0-%d7
        move.l  %d1, (%a5)+             | fib's result survives

        | Decimal: 0x1999 + 0x0001 over two bytes.
        move.w  #0x0004, %ccr           | X clear, Z set
        lea     bcd_a+2, %a0
        lea     bcd_b+2, %a1
        abcd    -(%a1), -(%a0)
        abcd    -(%a1), -(%a0)
        move.w  bcd_a, (%a5)+           | 0x2000
        move    %sr, %d3
        move.w  %d3, (%a5)+             | Z cleared, X/C clear: 0x2700

        | Multiply and divide.
        move.w  #1234, %d4
        mulu    #567, %d4               | 699678
        divu    #1000, %d4              | 699 r 678
        move.l  %d4, (%a5)+             | 0x02A602BB

        | A trap that adds 7 to D5 and returns.
        moveq   #3, %d5
        trap    #0
        move.l  %d5, (%a5)+             | 10

        | Shifts and rotates.
        move.l  #0x80000001, %d6
        rol.l   #4, %d6                 | 0x00000018
        lsr.w   #3, %d6                 | 0x00000003
        move.l  %d6, (%a5)+
done:   .word   0xA000

fib:    | D0 = n; D1 = fib(n)
        moveq   #0, %d1
        moveq   #1, %d2
        subq.w  #1, %d0
2:      move.l  %d2, %d3
        add.l   %d1, %d2
        move.l  %d3, %d1
        dbf     %d0, 2b
        rts

trap0:  addq.l  #7, %d5
        rte

bcd_a:  .word   0x1999
bcd_b:  .word   0x0001
