/* How slowfs reads requests from and writes replies to /dev/fuse. */
#ifndef SLOWFS_SESSION_IO_H
#define SLOWFS_SESSION_IO_H

#include "ops.h"

/* Set by init when the kernel offers parallel directory operations. */
extern int parallel_dirops;

/* Puts the session's i/o through slowfs (after fuse_session_mount); 0 or -errno. */
int session_io_install(struct fuse_session *se);

#endif
