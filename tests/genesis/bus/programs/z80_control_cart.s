| Z80 bus request and reset: the 68000 takes the Z80's bus, copies a small Z80 program into
| Z80 RAM, releases reset and bus so that the Z80 runs it, then takes the bus back and
| collects what the Z80 wrote. Results in work RAM at 0xFF0000:
|   +0x00  0xA11100 with the bus requested and the reset held (bit 0 = 1: not granted)
|   +0x01  0xA11100 with the reset released (0: granted)
|   +0x02  Z80 RAM 0x1F00 after the Z80 ran (0x5A)
|   +0x03  Z80 RAM 0x1F01 counter the Z80 keeps increasing (non-zero)
|   +0x04  Z80 RAM 0x1F01 read again after a while with the bus held: equal to +0x03
|   +0x05  Z80 RAM 0x1F02 after reset held and released again: cleared by the restarted
|          program (0x00)
|   +0x1F  0x99 at the end
        .org    0
        .long   0x00FFFE00
        .long   start
        .org    0x200
start:  move.w  #0x100, 0xA11100        | request the bus
        move.w  #0x000, 0xA11200        | hold the reset
        move.b  0xA11100, 0xFF0000
        move.w  #0x100, 0xA11200        | release the reset
        move.b  0xA11100, 0xFF0001
        lea     z80prog, %a0
        lea     0xA00000, %a1
        move.w  #z80end - z80prog - 1, %d0
copy:   move.b  (%a0)+, (%a1)+
        dbra    %d0, copy
        move.b  #0x77, 0xA01F02         | the program clears it when it starts
        move.w  #0x000, 0xA11200        | reset the Z80 so it starts at 0
        move.w  #0x100, 0xA11200
        move.w  #0x000, 0xA11100        | release the bus: the Z80 runs
        move.w  #2000, %d0
wait:   dbra    %d0, wait
        move.w  #0x100, 0xA11100        | take the bus back
grant:  move.b  0xA11100, %d3            | bit 0 only: 0 once granted
        bne.s   grant
        move.b  0xA01F00, 0xFF0002
        move.b  0xA01F01, 0xFF0003
        move.w  #200, %d0
hold:   dbra    %d0, hold
        move.b  0xA01F01, 0xFF0004
        move.b  #0x77, 0xA01F02
        move.w  #0x000, 0xA11200        | hold and release the reset: the program restarts
        move.w  #0x100, 0xA11200
        move.w  #0x000, 0xA11100
        move.w  #2000, %d0
wait2:  dbra    %d0, wait2
        move.w  #0x100, 0xA11100
        move.b  0xA01F02, 0xFF0005
        move.b  #0x99, 0xFF001F
done:   bra.s   done

| Z80 program: 0x1F02 := 0, 0x1F00 := 0x5A, then count 0x1F01 up for ever.
z80prog:
        .byte   0xAF                    | xor a
        .byte   0x32, 0x02, 0x1F        | ld (0x1F02), a
        .byte   0x3E, 0x5A              | ld a, 0x5A
        .byte   0x32, 0x00, 0x1F        | ld (0x1F00), a
        .byte   0x21, 0x01, 0x1F        | ld hl, 0x1F01
        .byte   0x34                    | loop: inc (hl)
        .byte   0x18, 0xFD              | jr loop
z80end:
        .even
