| Pad log cartridge. Once a frame (when the harness sets the byte at 0xFF0100, as a game
| would wait for the vertical blank) it reads port 1 as a six-button pad and port 2 as a
| three-button pad and appends six bytes to the log at 0xFF0200:
|   port 1 TH high, port 1 TH low, port 1 extra buttons (fourth TH high), port 2 TH high,
|   port 2 TH low, 0xEE.
| The pads have timed out back to the start of their sequence between frames.
| Only moves, address loads and branches.
        .text
        .org    0
        .long   0x00FFFE00              | initial supervisor stack pointer
        .long   start                   | reset: initial program counter

        .org    0x200
start:  move.b  #0x40, 0xA10009         | TH is an output on both ports
        move.b  #0x40, 0xA1000B
        lea     0xFF0200, %a0
wait:   move.b  0xFF0100, %d0
        beq.w   wait
        move.b  #0, 0xFF0100

        move.b  #0x40, 0xA10003         | phase 0: C B R L D U
        move.b  0xA10003, (%a0)+
        move.b  #0x00, 0xA10003         | phase 1: Start A D U
        move.b  0xA10003, (%a0)+
        move.b  #0x40, 0xA10003
        move.b  #0x00, 0xA10003
        move.b  #0x40, 0xA10003
        move.b  #0x00, 0xA10003         | phase 5: the six-button signature
        move.b  #0x40, 0xA10003         | phase 6: C B Mode X Y Z
        move.b  0xA10003, (%a0)+

        move.b  #0x40, 0xA10005
        move.b  0xA10005, (%a0)+
        move.b  #0x00, 0xA10005
        move.b  0xA10005, (%a0)+
        move.b  #0x40, 0xA10005
        move.b  #0xEE, (%a0)+
        bra.w   wait
