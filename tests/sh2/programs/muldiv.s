! Multiplication, multiply-and-accumulate and division step sequences. Runs from the master's
! boot ROM; operands are read from the table at the end, results are left in registers.
        .text
        .org    0
        .long   start
        .long   0x06040000

        .org    0x40
start:
        ! Signed 32 / 16 division: -1000 / 7 = -142 remainder -6 (quotient in r1).
        mov.l   dividend,r1
        mov.l   divisor16,r0
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
        exts.w  r1,r1                   ! r1 = -142

        ! Unsigned 64 / 32: 0x00000001_00000000 / 3 = 0x55555555 in r5 (remainder in r4).
        ! A load of SR with junk Q and M between the steps does not disturb them.
        mov     #1,r4
        mov     #0,r5
        mov     #3,r6
        div0u
        .rept   16
        rotcl   r5
        div1    r6,r4
        .endr
        stc     sr,r12
        mov.l   junk_qm,r0
        or      r0,r12
        ldc     r12,sr                  ! Q and M set in SR: the working copies stay
        .rept   16
        rotcl   r5
        div1    r6,r4
        .endr
        rotcl   r5                      ! r5 = 0x55555555, r4 = 1

        ! MAC.W with S set: 0x7FFF x 0x7FFF added to MACL = 0x7FFFFFF0 overflows: MACL
        ! 0x7FFFFFFF and MACH bit 0 set.
        stc     sr,r0
        or      #2,r0
        ldc     r0,sr                   ! S = 1
        mova    words,r0
        mov     r0,r7
        mov     r0,r8
        clrmac
        mov.l   near_max,r0
        lds     r0,macl
        mac.w   @r7+,@r8+
        sts     macl,r9                 ! 0x7FFFFFFF
        sts     mach,r10                ! 1
        ! MAC.L with S set: 0x00007FFF_FFFFFFF0 + 0x7FFFFFFF x 2 is held at
        ! 0x00007FFF_FFFFFFFF.
        mova    longs,r0
        mov     r0,r7
        add     #4,r0
        mov     r0,r8
        mov.l   mac48_high,r0
        lds     r0,mach
        mov     #-16,r0
        lds     r0,macl
        mac.l   @r7+,@r8+
        sts     mach,r11                ! 0x00007FFF
        sts     macl,r12                ! 0xFFFFFFFF
        ! MAC.W with S clear accumulates over all 64 bits: -2 x 3 gives -6 in MACH:MACL.
        stc     sr,r0
        and     #0xFD,r0
        ldc     r0,sr                   ! S = 0
        clrmac
        mova    neg_words,r0
        mov     r0,r7
        add     #2,r0
        mov     r0,r8
        mac.w   @r7+,@r8+
        sts     mach,r13                ! 0xFFFFFFFF
        sts     macl,r3                 ! 0xFFFFFFFA
        sleep

        .align  2
dividend:   .long   -1000
divisor16:  .long   7
junk_qm:    .long   0x300
near_max:   .long   0x7FFFFFF0
mac48_high: .long   0x00007FFF
        .align  2
words:      .word   0x7FFF
        .align  2
longs:      .long   0x7FFFFFFF, 2
        .align  2
neg_words:  .word   -2, 3
