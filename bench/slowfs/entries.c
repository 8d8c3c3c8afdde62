/* Names, attributes and changes to directories. */
#define _GNU_SOURCE
#include "handlers.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "inject.h"
#include "requests.h"

int drop_times;

const char *proc_path(char buf[32], int fd)
{
	snprintf(buf, 32, "/proc/self/fd/%d", fd);
	return buf;
}

void reply_result(fuse_req_t req, int rc)
{
	fuse_reply_err(req, rc == 0 ? 0 : errno);
}

int find_entry(struct node *parent, const char *name, struct fuse_entry_param *e)
{
	memset(e, 0, sizeof *e);
	e->attr_timeout = e->entry_timeout = CACHE_SECONDS;
	int fd = openat(parent->fd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
	if (fd < 0)
		return errno;
	if (fstatat(fd, "", &e->attr, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0) {
		int err = errno;
		close(fd);
		return err;
	}
	struct node *n = node_ref(fd, &e->attr);
	if (!n)
		return ENOMEM;
	e->ino = ino_of(n);
	return 0;
}

/* Answers a request that made `name` (mkdir, symlink, link). */
static void reply_made(fuse_req_t req, int rc, struct node *parent, const char *name)
{
	struct fuse_entry_param e;
	int err = rc == 0 ? find_entry(parent, name, &e) : errno;
	if (err)
		fuse_reply_err(req, err);
	else
		fuse_reply_entry(req, &e);
}

/* ---- names and attributes --------------------------------------------------- */

void sf_lookup(fuse_req_t req, fuse_ino_t parent, const char *name)
{
	request_begin(REQ_lookup);
	struct fuse_entry_param e;
	int err = find_entry(node_of(parent), name, &e);
	if (err == ENOENT)
		e.ino = 0; /* the kernel keeps "missing" for entry_timeout too */
	if (err && err != ENOENT)
		fuse_reply_err(req, err);
	else
		fuse_reply_entry(req, &e);
}

void sf_forget(fuse_req_t req, fuse_ino_t ino, uint64_t nlookup)
{
	request_count(REQ_forget);
	node_unref(node_of(ino), nlookup);
	fuse_reply_none(req);
}

void sf_forget_multi(fuse_req_t req, size_t count, struct fuse_forget_data *forgets)
{
	for (size_t i = 0; i < count; i++) {
		request_count(REQ_forget);
		node_unref(node_of(forgets[i].ino), forgets[i].nlookup);
	}
	fuse_reply_none(req);
}

static void reply_attr(fuse_req_t req, struct node *n)
{
	struct stat st;
	if (fstatat(n->fd, "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0)
		fuse_reply_err(req, errno);
	else
		fuse_reply_attr(req, &st, CACHE_SECONDS);
}

void sf_getattr(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi)
{
	(void)fi;
	request_begin(REQ_getattr);
	reply_attr(req, node_of(ino));
}

static int set_times(struct node *n, const struct stat *attr, int to_set)
{
	struct timespec t[2] = { { 0, UTIME_OMIT }, { 0, UTIME_OMIT } };
	if (to_set & FUSE_SET_ATTR_ATIME_NOW)
		t[0].tv_nsec = UTIME_NOW;
	else if (to_set & FUSE_SET_ATTR_ATIME)
		t[0] = attr->st_atim;
	if (to_set & FUSE_SET_ATTR_MTIME_NOW)
		t[1].tv_nsec = UTIME_NOW;
	else if (to_set & FUSE_SET_ATTR_MTIME)
		t[1] = attr->st_mtim;
	return utimensat(n->fd, "", t, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW);
}

/* The file handle (fi), if any, is not used: the node names the same file, and for a
 * directory the handle is not a descriptor. */
void sf_setattr(fuse_req_t req, fuse_ino_t ino, struct stat *attr, int to_set,
		struct fuse_file_info *fi)
{
	(void)fi;
	request_begin(REQ_setattr);
	if (to_set & (FUSE_SET_ATTR_MTIME | FUSE_SET_ATTR_MTIME_NOW))
		INJECT_OR_RETURN(INJ_utimens, req);
	struct node *n = node_of(ino);
	char path[32];
	int rc = 0;
	if (to_set & FUSE_SET_ATTR_MODE) {
		/* chmod through /proc would change the file a link points to */
		if (n->is_symlink) {
			rc = -1;
			errno = EOPNOTSUPP;
		} else {
			rc = chmod(proc_path(path, n->fd), attr->st_mode & 07777);
		}
	}
	if (rc == 0 && (to_set & (FUSE_SET_ATTR_UID | FUSE_SET_ATTR_GID))) {
		uid_t uid = to_set & FUSE_SET_ATTR_UID ? attr->st_uid : (uid_t)-1;
		gid_t gid = to_set & FUSE_SET_ATTR_GID ? attr->st_gid : (gid_t)-1;
		rc = fchownat(n->fd, "", uid, gid, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW);
	}
	if (rc == 0 && (to_set & FUSE_SET_ATTR_SIZE))
		rc = truncate(proc_path(path, n->fd), attr->st_size);
	if (rc == 0 && !drop_times && (to_set & (FUSE_SET_ATTR_ATIME | FUSE_SET_ATTR_MTIME)))
		rc = set_times(n, attr, to_set);
	if (rc != 0)
		fuse_reply_err(req, errno);
	else
		reply_attr(req, n);
}

void sf_readlink(fuse_req_t req, fuse_ino_t ino)
{
	request_begin(REQ_readlink);
	char target[PATH_MAX + 1];
	ssize_t len = readlinkat(node_of(ino)->fd, "", target, PATH_MAX);
	if (len < 0) {
		fuse_reply_err(req, errno);
		return;
	}
	target[len] = '\0';
	fuse_reply_readlink(req, target);
}

void sf_statfs(fuse_req_t req, fuse_ino_t ino)
{
	request_begin(REQ_statfs);
	struct statvfs sv;
	if (fstatvfs(node_of(ino)->fd, &sv) != 0)
		fuse_reply_err(req, errno);
	else
		fuse_reply_statfs(req, &sv);
}

/* ---- changes to directories ------------------------------------------------- */

void sf_mkdir(fuse_req_t req, fuse_ino_t parent, const char *name, mode_t mode)
{
	request_begin(REQ_mkdir);
	INJECT_OR_RETURN(INJ_mkdir, req);
	struct node *p = node_of(parent);
	reply_made(req, mkdirat(p->fd, name, mode), p, name);
}

void sf_symlink(fuse_req_t req, const char *link, fuse_ino_t parent, const char *name)
{
	request_begin(REQ_symlink);
	struct node *p = node_of(parent);
	reply_made(req, symlinkat(link, p->fd, name), p, name);
}

/* AT_EMPTY_PATH links any kind of file, as root (CAP_DAC_READ_SEARCH). */
void sf_link(fuse_req_t req, fuse_ino_t ino, fuse_ino_t newparent, const char *newname)
{
	request_begin(REQ_link);
	struct node *p = node_of(newparent);
	reply_made(req, linkat(node_of(ino)->fd, "", p->fd, newname, AT_EMPTY_PATH), p, newname);
}

void sf_unlink(fuse_req_t req, fuse_ino_t parent, const char *name)
{
	request_begin(REQ_unlink);
	reply_result(req, unlinkat(node_of(parent)->fd, name, 0));
}

void sf_rmdir(fuse_req_t req, fuse_ino_t parent, const char *name)
{
	request_begin(REQ_rmdir);
	reply_result(req, unlinkat(node_of(parent)->fd, name, AT_REMOVEDIR));
}

/* flags (RENAME_NOREPLACE, RENAME_EXCHANGE) go to the backing file system as they are. */
void sf_rename(fuse_req_t req, fuse_ino_t parent, const char *name, fuse_ino_t newparent,
	       const char *newname, unsigned int flags)
{
	request_begin(REQ_rename);
	INJECT_OR_RETURN(INJ_rename, req);
	reply_result(req, renameat2(node_of(parent)->fd, name, node_of(newparent)->fd, newname,
				    flags));
}
