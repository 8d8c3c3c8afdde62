/* Open directories: a directory stream per handle, read where the kernel asks. */
#define _GNU_SOURCE
#include "handlers.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "inject.h"
#include "requests.h"

/* An open directory: the stream, where it stands, and an entry read but not yet sent. */
struct dir {
	DIR *dp;
	off_t offset;
	struct dirent *entry;
};

void sf_opendir(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi)
{
	request_begin(REQ_opendir);
	struct dir *d = calloc(1, sizeof *d);
	if (!d) {
		fuse_reply_err(req, ENOMEM);
		return;
	}
	int fd = openat(node_of(ino)->fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0 || !(d->dp = fdopendir(fd))) {
		int err = errno;
		if (fd >= 0)
			close(fd);
		free(d);
		fuse_reply_err(req, err);
		return;
	}
	fi->fh = (uint64_t)(uintptr_t)d;
	fuse_reply_open(req, fi);
}

static struct dir *dir_of(struct fuse_file_info *fi)
{
	return (struct dir *)(uintptr_t)fi->fh;
}

/* Names and types only (no readdirplus): attributes come by lookup, one request per name. An
 * entry that does not fit waits in d->entry for the next request. */
void sf_readdir(fuse_req_t req, fuse_ino_t ino, size_t size, off_t off,
		struct fuse_file_info *fi)
{
	(void)ino;
	request_begin(REQ_readdir);
	INJECT_OR_RETURN(INJ_getdents, req);
	struct dir *d = dir_of(fi);
	char *buf = malloc(size);
	if (!buf) {
		fuse_reply_err(req, ENOMEM);
		return;
	}
	if (off != d->offset) {
		seekdir(d->dp, off);
		d->entry = NULL;
		d->offset = off;
	}
	size_t used = 0;
	int err = 0;
	for (;;) {
		if (!d->entry) {
			errno = 0;
			d->entry = readdir(d->dp);
			if (!d->entry) {
				err = errno;
				break;
			}
		}
		struct stat st = { .st_ino = d->entry->d_ino, .st_mode = DTTOIF(d->entry->d_type) };
		off_t next = telldir(d->dp);
		size_t len = fuse_add_direntry(req, buf + used, size - used, d->entry->d_name,
					       &st, next);
		if (len > size - used)
			break;
		used += len;
		d->entry = NULL;
		d->offset = next;
	}
	if (err && used == 0)
		fuse_reply_err(req, err);
	else
		fuse_reply_buf(req, buf, used);
	free(buf);
}

void sf_releasedir(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi)
{
	(void)ino;
	request_begin(REQ_releasedir);
	struct dir *d = dir_of(fi);
	closedir(d->dp);
	free(d);
	fuse_reply_err(req, 0);
}

void sf_fsyncdir(fuse_req_t req, fuse_ino_t ino, int datasync, struct fuse_file_info *fi)
{
	(void)ino;
	request_begin(REQ_fsyncdir);
	INJECT_OR_RETURN(INJ_fsync, req);
	int fd = dirfd(dir_of(fi)->dp);
	reply_result(req, datasync ? fdatasync(fd) : fsync(fd));
}
