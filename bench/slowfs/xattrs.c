/* Extended attributes, through the /proc name of the file; not on symbolic links, where
 * /proc would follow the link. */
#define _GNU_SOURCE
#include "handlers.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/xattr.h>

#include "requests.h"

/* Answers a get or list call that returned `got` into `buf` of `size` bytes. */
static void reply_xattr(fuse_req_t req, const char *buf, size_t size, ssize_t got)
{
	if (got < 0)
		fuse_reply_err(req, errno);
	else if (size == 0)
		fuse_reply_xattr(req, (size_t)got);
	else
		fuse_reply_buf(req, buf, (size_t)got);
}

static const char *xattr_path(char buf[32], struct node *n)
{
	if (n->is_symlink) {
		errno = ENOTSUP;
		return NULL;
	}
	return proc_path(buf, n->fd);
}

void sf_getxattr(fuse_req_t req, fuse_ino_t ino, const char *name, size_t size)
{
	request_begin(REQ_getxattr);
	char path[32], *buf = malloc(size ? size : 1);
	const char *at = xattr_path(path, node_of(ino));
	ssize_t got = -1;
	if (!buf)
		errno = ENOMEM;
	else if (at)
		got = getxattr(at, name, buf, size);
	reply_xattr(req, buf, size, got);
	free(buf);
}

void sf_listxattr(fuse_req_t req, fuse_ino_t ino, size_t size)
{
	request_begin(REQ_listxattr);
	char path[32], *buf = malloc(size ? size : 1);
	const char *at = xattr_path(path, node_of(ino));
	ssize_t got = -1;
	if (!buf)
		errno = ENOMEM;
	else if (at)
		got = listxattr(at, buf, size);
	reply_xattr(req, buf, size, got);
	free(buf);
}

void sf_setxattr(fuse_req_t req, fuse_ino_t ino, const char *name, const char *value,
		 size_t size, int flags)
{
	request_begin(REQ_setxattr);
	char path[32];
	const char *at = xattr_path(path, node_of(ino));
	reply_result(req, at ? setxattr(at, name, value, size, flags) : -1);
}

void sf_removexattr(fuse_req_t req, fuse_ino_t ino, const char *name)
{
	request_begin(REQ_removexattr);
	char path[32];
	const char *at = xattr_path(path, node_of(ino));
	reply_result(req, at ? removexattr(at, name) : -1);
}
