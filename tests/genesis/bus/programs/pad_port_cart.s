| Controller port 1 with TH as an output: the program reads the port with TH high and TH
| low, as a three-button pad read does, reads port 2 and the version register, and checks
| that the direction register reads back. Results in work RAM at 0xFF0000:
|   +0x00  port 1 with TH high      +0x01  port 1 with TH low
|   +0x02  port 2 (TH an input)     +0x03  version register
|   +0x04  port 1 control           +0x05  port 3 data
|   +0x1F  0x99 at the end
        .org    0
        .long   0x00FFFE00
        .long   start
        .org    0x200
start:  move.b  #0x40, 0xA10009         | TH output
        move.b  #0x40, 0xA10003         | TH high
        nop
        move.b  0xA10003, 0xFF0000
        move.b  #0x00, 0xA10003         | TH low
        nop
        move.b  0xA10003, 0xFF0001
        move.b  0xA10005, 0xFF0002
        move.b  0xA10001, 0xFF0003
        move.b  0xA10009, 0xFF0004
        move.b  0xA10007, 0xFF0005
        move.b  #0x99, 0xFF001F
done:   bra.s   done
