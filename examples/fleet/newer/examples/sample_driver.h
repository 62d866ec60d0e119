/* The sample driver's header of a newer release: 3.002. */
#define DMM100_MAJOR_VERSION    (3)
#define DMM100_MINOR_VERSION    (2)
