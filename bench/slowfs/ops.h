/* The request handlers of slowfs. */
#ifndef SLOWFS_OPS_H
#define SLOWFS_OPS_H

#define FUSE_USE_VERSION 314
#include <fuse_lowlevel.h>

extern const struct fuse_lowlevel_ops slowfs_ops;

#endif
