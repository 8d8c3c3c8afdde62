/* What every request pays: a count, and the fixed delay of the stand-in for a slow target. */
#ifndef SLOWFS_REQUESTS_H
#define SLOWFS_REQUESTS_H

#include <stdio.h>

#define SLOWFS_REQUESTS(X) \
	X(lookup) X(forget) X(getattr) X(setattr) X(readlink) X(mkdir) X(unlink) X(rmdir) \
	X(symlink) X(rename) X(link) X(open) X(read) X(write) X(flush) X(release) X(fsync) \
	X(opendir) X(readdir) X(releasedir) X(fsyncdir) X(statfs) X(setxattr) X(getxattr) \
	X(listxattr) X(removexattr) X(create)

#define SLOWFS_ENUM(name) REQ_##name,
enum request { SLOWFS_REQUESTS(SLOWFS_ENUM) REQ_COUNT };
#undef SLOWFS_ENUM

/* Microseconds every answered request waits before it is done (0: none). */
extern unsigned delay_us;

/* Counts one request of kind `r`, then waits delay_us. */
void request_begin(enum request r);

/* Counts a request nobody waits for (forget): no delay. */
void request_count(enum request r);

/* Counts a reply that carried the error `err` (an errno value). */
void request_failed(int err);

/* One line: the total and the count of each kind of request seen, then of each error sent. */
void requests_report(FILE *out);

#endif
