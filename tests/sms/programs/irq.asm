; Line and frame interrupts and the pause button: the interrupt routine reads the VDP
; status and counts line interrupts (bit 6) and frame interrupts (bit 7); the NMI routine
; counts pause presses. The main loop waits in HALT with interrupts on.
        di
        im 1
        ld sp, 0xdff0
        jp start
        defs 0x38 - $
isr:    push af
        in a, (0xbf)
        bit 7, a
        jr z, notframe
        push hl
        ld hl, (frames)
        inc hl
        ld (frames), hl
        pop hl
notframe:
        bit 6, a
        jr z, notline
        push hl
        ld hl, (lines)
        inc hl
        ld (lines), hl
        pop hl
notline:
        pop af
        ei
        reti
        defs 0x66 - $
nmi:    push af
        ld a, (pauses)
        inc a
        ld (pauses), a
        pop af
        retn

start:  ld a, 0x14              ; line interrupts on, mode 4
        out (0xbf), a
        ld a, 0x80
        out (0xbf), a
        ld a, 0x60              ; display and frame interrupts on
        out (0xbf), a
        ld a, 0x81
        out (0xbf), a
        ld a, 2                 ; a line interrupt every third line
        out (0xbf), a
        ld a, 0x8a
        out (0xbf), a
        ei
loop:   halt
        jr loop

frames: equ 0xc000
lines:  equ 0xc002
pauses: equ 0xc004
