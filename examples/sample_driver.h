/* Header of a sample instrument driver, as an installer finds it on the target machine.
   GetDriverVer reads the version from the two definitions below: 2.014. */
#ifndef DMM100_H
#define DMM100_H

#define DMM100_VERSION_TEXT     "2.14"
#define DMM100_MAJOR_VERSION    (2)
#define DMM100_MINOR_VERSION    (14)

#define DMM100_DEFAULT_TIMEOUT  2000

int dmm100_open(const char* resource, unsigned long* session);
int dmm100_read(unsigned long session, double* value);
int dmm100_close(unsigned long session);

#endif
