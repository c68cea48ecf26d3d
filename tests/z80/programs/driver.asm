; A small sound-driver skeleton on the Genesis map: YM2612 and PSG writes, the bank window in
; both directions, and a vertical-interrupt counter while the main loop sits in HALT.
        di
        ld sp, 0x2000
        im 1
        jp start
        defs 0x38 - $
isr:    push af
        ld a, (count)
        inc a
        ld (count), a
        pop af
        ei
        reti
start:  ld hl, 0x4000           ; YM2612 part I: DAC on (register 0x2b)
        ld (hl), 0x2b
        inc hl
        ld (hl), 0x80
        ld a, 0x93              ; PSG: channel 0 attenuation 3
        ld (0x7f11), a
        ld hl, 0x6000           ; bank: 68000 0xff8000 (nine 1 bits)
        ld a, 1
        ld b, 9
bank1:  ld (hl), a
        djnz bank1
        ld hl, msg              ; four bytes into 68000 work RAM
        ld de, 0x8000
        ld bc, 4
        ldir
        ld hl, 0x6000           ; bank: 68000 0x000000 (cartridge)
        xor a
        ld b, 9
bank0:  ld (hl), a
        djnz bank0
        ld a, (0x8100)
        ld (romcopy), a
        ld hl, (0x8102)
        ld (romword), hl
        ei
loop:   halt
        jr loop

        defs 0x200 - $
msg:    defb 0xde, 0xad, 0xbe, 0xef
count:  defb 0
romcopy: defb 0
romword: defw 0
