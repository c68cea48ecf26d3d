! Delay slots, the base of PC-relative operands in a slot, subroutines, BT/S both ways, the
! word 0x4n30, SLEEP and TRAPA. Results in registers; r14 is non-zero when a branch went
! the wrong way.
        .text
        .org    0
        .long   start
        .long   0x06040000

        .org    0x40
start:  mov     #0,r14
        bra     t1
        .word   0xC701                  ! slot: mova @(1,pc),r0, base t1 + 2: r0 = 0x84
        mov     #99,r14

        .org    0x80
t1:     mov     r0,r1                   ! r1 = 0x84
        bsr     sub1                    ! PR = 0x86
        mov     #7,r2                   ! slot: runs before sub1 doubles r2
        clrt
        bt/s    fail                    ! not taken: its slot still runs
        add     #1,r2                   ! r2 = 15
        sett
        bt/s    t2                      ! taken
        add     #1,r2                   ! r2 = 16
        bra     fail
        nop

sub1:   sts     pr,r3                   ! r3 = 0x86
        rts
        add     r2,r2                   ! slot: r2 = 14

t2:     mov     #1,r4
        .word   0x4430                  ! no instruction: runs as SHLL r4, r4 = 2
        sleep                           ! goes on at once
        add     #1,r4                   ! r4 = 3
        mov.l   vbr_at,r5
        ldc     r5,vbr
        trapa   #0
        mov     #5,r6                   ! after the handler's RTE
        bra     done
        nop
fail:   mov     #1,r14
done:   bra     done
        nop

handler:
        mov     #9,r7
        rte
        nop

        .align  2
vbr_at: .long   vectors
vectors:
        .long   handler
