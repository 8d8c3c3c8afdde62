/* What the request handlers share, and the handlers the table in ops.c names. Each handler
 * counts and waits (request_begin), then makes the same call on the backing file through the
 * node's O_PATH descriptor, and answers with the backing file's own attributes, nanoseconds
 * included. */
#ifndef SLOWFS_HANDLERS_H
#define SLOWFS_HANDLERS_H

#include "ops.h"

#include "nodes.h"

/* How long the kernel may keep names and attributes before it asks again, like the attribute
 * cache of a network client. */
#define CACHE_SECONDS 1.0

/* A path naming the file behind an O_PATH descriptor, for the calls that take no descriptor
 * of that kind (open, chmod, truncate, the *xattr calls). */
const char *proc_path(char buf[32], int fd);

/* Answers 0, or errno when rc is not 0. */
void reply_result(fuse_req_t req, int rc);

/* Fills `e` for `name` below `parent`, one kernel reference more; 0 or an errno value. */
int find_entry(struct node *parent, const char *name, struct fuse_entry_param *e);

/* entries.c: names, attributes and changes to directories */
void sf_lookup(fuse_req_t req, fuse_ino_t parent, const char *name);
void sf_forget(fuse_req_t req, fuse_ino_t ino, uint64_t nlookup);
void sf_forget_multi(fuse_req_t req, size_t count, struct fuse_forget_data *forgets);
void sf_getattr(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi);
void sf_setattr(fuse_req_t req, fuse_ino_t ino, struct stat *attr, int to_set,
		struct fuse_file_info *fi);
void sf_readlink(fuse_req_t req, fuse_ino_t ino);
void sf_statfs(fuse_req_t req, fuse_ino_t ino);
void sf_mkdir(fuse_req_t req, fuse_ino_t parent, const char *name, mode_t mode);
void sf_symlink(fuse_req_t req, const char *link, fuse_ino_t parent, const char *name);
void sf_link(fuse_req_t req, fuse_ino_t ino, fuse_ino_t newparent, const char *newname);
void sf_unlink(fuse_req_t req, fuse_ino_t parent, const char *name);
void sf_rmdir(fuse_req_t req, fuse_ino_t parent, const char *name);
void sf_rename(fuse_req_t req, fuse_ino_t parent, const char *name, fuse_ino_t newparent,
	       const char *newname, unsigned int flags);

/* files.c: open files */
void sf_open(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi);
void sf_create(fuse_req_t req, fuse_ino_t parent, const char *name, mode_t mode,
	       struct fuse_file_info *fi);
void sf_read(fuse_req_t req, fuse_ino_t ino, size_t size, off_t off, struct fuse_file_info *fi);
void sf_write(fuse_req_t req, fuse_ino_t ino, const char *buf, size_t size, off_t off,
	      struct fuse_file_info *fi);
void sf_flush(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi);
void sf_release(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi);
void sf_fsync(fuse_req_t req, fuse_ino_t ino, int datasync, struct fuse_file_info *fi);

/* listings.c: open directories */
void sf_opendir(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi);
void sf_readdir(fuse_req_t req, fuse_ino_t ino, size_t size, off_t off,
		struct fuse_file_info *fi);
void sf_releasedir(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi);
void sf_fsyncdir(fuse_req_t req, fuse_ino_t ino, int datasync, struct fuse_file_info *fi);

/* xattrs.c: extended attributes */
void sf_getxattr(fuse_req_t req, fuse_ino_t ino, const char *name, size_t size);
void sf_listxattr(fuse_req_t req, fuse_ino_t ino, size_t size);
void sf_setxattr(fuse_req_t req, fuse_ino_t ino, const char *name, const char *value,
		 size_t size, int flags);
void sf_removexattr(fuse_req_t req, fuse_ino_t ino, const char *name);

#endif
