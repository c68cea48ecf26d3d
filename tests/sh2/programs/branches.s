! Branches, delay slots and the bases of PC-relative operands. Runs from the master's boot
! ROM; results are left in registers, r14 is non-zero when a branch went the wrong way.
        .text
        .org    0
        .long   start
        .long   0x06040000

        .org    0x40
start:  mov     #0,r14
        ! A taken BRA whose slot is MOVA: the base is the branch target (0x80), so
        ! r0 = ((0x80 + 2) & ~3) + 4 = 0x84.
        bra     t1
        .word   0xC701                  ! mova @(1,pc),r0

        .org    0x80
t1:     mov     r0,r1                   ! r1 = 0x84
        bsr     sub1                    ! PR = 0x86
        mov     #7,r2                   ! slot: runs before sub1 doubles r2
        clrt                            ! 0x86
        bt/s    fail                    ! not taken: its slot still runs
        add     #1,r2                   ! r2 = 15
        sett
        bf/s    fail
        add     #1,r2                   ! r2 = 16
        bt/s    t2                      ! taken
        add     #1,r2                   ! r2 = 17
        bra     fail
        nop

sub1:   sts     pr,r3                   ! r3 = 0x86
        rts
        add     r2,r2                   ! slot: r2 = 14

t2:     sett
        bt      t3                      ! taken, no slot: the next word is skipped
        mov     #99,r2
t3:     clrt
        bf      t3b
        bra     fail
        nop
t3b:    mov.l   braf_dist,r4
braf_at:
        braf    r4                      ! to braf_at + 4 + r4 = t4
        mov     #5,r5                   ! slot
        bra     fail
        nop
t4:     mov.l   bsrf_dist,r4
bsrf_at:
        bsrf    r4                      ! PR = bsrf_at + 4
        add     #1,r5                   ! slot: r5 = 6
        bra     after_bsrf
        nop
sub2:   sts     pr,r6                   ! r6 = bsrf_at + 4
        rts
        nop
after_bsrf:
        mov.l   sub3_addr,r7
        jsr     @r7
        nop
        mov.l   t5_addr,r7
        jmp     @r7
        nop
sub3:   sts     pr,r8                   ! r8 = address after jsr + slot
        rts
        nop

        .align  2
braf_dist:  .long   t4 - braf_at - 4
bsrf_dist:  .long   sub2 - bsrf_at - 4
sub3_addr:  .long   sub3
t5_addr:    .long   t5

fail:   mov     #-1,r14
        sleep

        ! A MOV.L @(disp,PC) in the slot of a taken BRA reads from the target's base:
        ! ((0x140 + 2) & ~3) + 4 = 0x144.
        .org    0x100
t5:     bra     t6
        .word   0xD901                  ! mov.l @(1,pc),r9

        .org    0x140
t6:     bra     t7
        nop
        .long   0x12345678              ! 0x144

        ! A MOV.W @(disp,PC) in the slot of a taken BRA: target + 2 + 2 x 1 = 0x184.
        .org    0x160
t7:     bra     t8
        .word   0x9A01                  ! mov.w @(1,pc),r10

        .org    0x180
t8:     bra     t9
        nop
        .word   0x8765                  ! 0x184 (sign-extended)

        ! The ordinary bases: MOV.L @(disp,PC) at 0x1A0 reads ((0x1A0 + 4) & ~3) + 4.
        .org    0x1A0
t9:     .word   0xDB01                  ! mov.l @(1,pc),r11 (0x1A8)
        bra     t10
        nop
        nop
        .long   0xCAFEF00D              ! 0x1A8
t10:    sleep
