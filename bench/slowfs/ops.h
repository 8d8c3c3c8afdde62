/* The request handlers of slowfs. */
#ifndef SLOWFS_OPS_H
#define SLOWFS_OPS_H

#define FUSE_USE_VERSION 314
#include <fuse_lowlevel.h>

extern const struct fuse_lowlevel_ops slowfs_ops;

/* Nonzero: last-access and last-write times that a caller sets are ignored (and the answer
 * says so, with the file's own times), as by a target that dates files by itself. */
extern int drop_times;

#endif
