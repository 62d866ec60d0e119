/* The sample driver's header, its version written in hexadecimal: still 2.014. */
#define DMM100_MAJOR_VERSION    0x2
#define DMM100_MINOR_VERSION    0xE
