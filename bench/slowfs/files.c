/* Open files: each open or create holds a descriptor of the backing file as its handle. */
#define _GNU_SOURCE
#include "handlers.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "inject.h"
#include "requests.h"

void sf_open(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi)
{
	request_begin(REQ_open);
	INJECT_OR_RETURN(INJ_open, req);
	char path[32];
	/* no O_NOFOLLOW: the /proc name is a link by itself */
	int fd = open(proc_path(path, node_of(ino)->fd), (fi->flags & ~O_NOFOLLOW) | O_CLOEXEC);
	if (fd < 0) {
		fuse_reply_err(req, errno);
		return;
	}
	fi->fh = (uint64_t)fd;
	fuse_reply_open(req, fi);
}

/* O_EXCL, if given, comes with the flags. */
void sf_create(fuse_req_t req, fuse_ino_t parent, const char *name, mode_t mode,
	       struct fuse_file_info *fi)
{
	request_begin(REQ_create);
	INJECT_OR_RETURN(INJ_open, req);
	struct node *p = node_of(parent);
	int fd = openat(p->fd, name, fi->flags | O_CREAT | O_CLOEXEC, mode);
	if (fd < 0) {
		fuse_reply_err(req, errno);
		return;
	}
	struct fuse_entry_param e;
	int err = find_entry(p, name, &e);
	if (err) {
		close(fd);
		fuse_reply_err(req, err);
		return;
	}
	fi->fh = (uint64_t)fd;
	if (fuse_reply_create(req, &e, fi) != 0) { /* the caller is gone (interrupted) */
		close(fd);
		node_unref(node_of(e.ino), 1);
	}
}

void sf_read(fuse_req_t req, fuse_ino_t ino, size_t size, off_t off,
	     struct fuse_file_info *fi)
{
	(void)ino;
	request_begin(REQ_read);
	INJECT_OR_RETURN(INJ_read, req);
	struct fuse_bufvec buf = FUSE_BUFVEC_INIT(size);
	buf.buf[0].flags = FUSE_BUF_IS_FD | FUSE_BUF_FD_SEEK;
	buf.buf[0].fd = (int)fi->fh;
	buf.buf[0].pos = off;
	fuse_reply_data(req, &buf, FUSE_BUF_SPLICE_MOVE);
}

void sf_write(fuse_req_t req, fuse_ino_t ino, const char *buf, size_t size, off_t off,
	      struct fuse_file_info *fi)
{
	(void)ino;
	request_begin(REQ_write);
	INJECT_OR_RETURN(INJ_write, req);
	ssize_t done = pwrite((int)fi->fh, buf, size, off);
	if (done < 0)
		fuse_reply_err(req, errno);
	else
		fuse_reply_write(req, (size_t)done);
}

/* Called at every close of a descriptor: report what closing a copy of it reports. */
void sf_flush(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi)
{
	(void)ino;
	request_begin(REQ_flush);
	reply_result(req, close(dup((int)fi->fh)));
}

void sf_release(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi)
{
	(void)ino;
	request_begin(REQ_release);
	close((int)fi->fh);
	fuse_reply_err(req, 0);
}

void sf_fsync(fuse_req_t req, fuse_ino_t ino, int datasync, struct fuse_file_info *fi)
{
	(void)ino;
	request_begin(REQ_fsync);
	INJECT_OR_RETURN(INJ_fsync, req);
	int fd = (int)fi->fh;
	reply_result(req, datasync ? fdatasync(fd) : fsync(fd));
}
