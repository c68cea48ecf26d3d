! A mixed SH-2 workload for sh2_flat: table fill and checksum loops, subroutine calls with
! delay slots, a signed division by DIV0S/DIV1, a MAC.W dot product, byte copies, shifts
! and compares, repeated until the outer count runs out; then SLEEP ends it. The code is
! position-independent; its data lives in SDRAM.
        .text
        .long   start                   ! entry, as an offset into the image
        .long   0x06040000              ! stack

start:  mov.l   outer_count,r14
outer:
        ! Fill 64 longs, then sum them with a running XOR.
        mov.l   buf,r1
        mov     #64,r2
        mov     r1,r3
fill:   mov.l   r2,@r3
        add     #4,r3
        dt      r2
        bf      fill
        mov     #64,r2
        mov     r1,r3
        mov     #0,r4
        mov     #0,r6
sum:    mov.l   @r3+,r5
        add     r5,r4
        xor     r4,r6
        dt      r2
        bf/s    sum
        shll    r6

        ! Calls.
        bsr     arith
        mov     r4,r0
        bsr     arith
        mov     r6,r0

        ! Signed 32 / 16 division: r1 / 7.
        mov     r4,r1
        mov     #7,r0
        shll16  r0
        exts.w  r1,r1
        xor     r2,r2
        mov     r1,r3
        rotcl   r3
        subc    r2,r1
        div0s   r0,r1
        .rept   16
        div1    r0,r1
        .endr
        exts.w  r1,r1
        rotcl   r1
        addc    r2,r1
        exts.w  r1,r1

        ! MAC.W dot product of 16 words of the buffer with themselves.
        mov.l   buf,r7
        mov     r7,r8
        clrmac
        mov     #16,r2
dot:    mac.w   @r7+,@r8+
        dt      r2
        bf      dot
        sts     macl,r9

        ! Copy 32 bytes backwards, then compare a few.
        mov.l   buf,r1
        mov.l   buf2,r3
        add     #32,r3
        mov     #32,r2
copy:   mov.b   @r1+,r0
        dt      r2
        bf/s    copy
        mov.b   r0,@-r3
        mov.l   buf2,r3
        mov.w   @r3,r0
        cmp/eq  #0,r0
        bt      skip
        extu.w  r0,r0
        shlr2   r0
skip:   cmp/hi  r9,r0
        movt    r10
        add     r10,r11

        dt      r14
        bf      outer
        sleep

arith:  mov     r0,r5
        shll2   r5
        add     r0,r5
        not     r5,r12
        and     r5,r12
        or      #0x55,r0
        swap.w  r12,r13
        sub     r13,r5
        cmp/gt  r5,r12
        bf      arith_neg
        rts
        neg     r5,r5
arith_neg:
        rts
        extu.b  r5,r5

        .align  2
outer_count:    .long   300000
buf:            .long   0x06001000
buf2:           .long   0x06002000
