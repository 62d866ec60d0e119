/* The sample driver's header of an older release: 1.009. No VISA on this machine. */
#define DMM100_MAJOR_VERSION    1
#define DMM100_MINOR_VERSION    9
