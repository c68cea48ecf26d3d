! Interrupt and trap entry: every handler logs {its id, SR inside the handler, the stacked PC,
! the stacked SR} at r12 (from 0x06000000 up) and returns with RTE. The main program traps
! once, lowers the mask to 0 and loops; the test raises requests between slices.
        .text
        .org    0
        .long   start
        .long   0x06040000

        .org    0x80                    ! vector 32: TRAPA #32
        .long   h_trap
        .org    0x108                   ! vectors 66-70: serial, PWM, command, H, V
        .long   h_serial, h_pwm, h_command, h_hblank, h_vblank
        .org    0x140                   ! vectors 80 and 81: on-chip sources set up by the test
        .long   h_onchip80, h_onchip81

        .org    0x180
start:  mov.l   log_base,r12
        trapa   #32
        mov     #0,r0
        ldc     r0,sr                   ! I = 0 (and a look at pending requests next slice)
loop:   add     #1,r1
        bra     loop
        nop

h_trap:     bra     log
            mov     #32,r0
h_serial:   bra     log
            mov     #4,r0
h_pwm:      bra     log
            mov     #7,r0
h_command:  bra     log
            mov     #9,r0
h_hblank:   bra     log
            mov     #11,r0
h_vblank:   bra     log
            mov     #13,r0
h_onchip80: bra     log
            mov     #80,r0
h_onchip81: bra     log
            mov     #81,r0

log:    mov.l   r0,@r12
        stc     sr,r0
        mov.l   r0,@(4,r12)
        mov.l   @r15,r0
        mov.l   r0,@(8,r12)
        mov.l   @(4,r15),r0
        mov.l   r0,@(12,r12)
        add     #16,r12
        rte
        nop

        .align  2
log_base:   .long   0x06000000
