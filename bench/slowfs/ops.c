/* The table of request handlers, and the session's start and end. Requests without a handler
 * (mknod, copy_file_range, fallocate, locks, ioctl, lseek, ...) get ENOSYS from libfuse, and
 * callers fall back. */
#include "ops.h"

#include <stdio.h>

#include "handlers.h"
#include "inject.h"
#include "requests.h"
#include "session_io.h"

static void sf_init(void *userdata, struct fuse_conn_info *conn)
{
	(void)userdata;
	conn->want &= ~(FUSE_CAP_READDIRPLUS | FUSE_CAP_READDIRPLUS_AUTO);
	/* lookups and listings in one directory may run at once, as on a network file system */
	if (conn->capable & FUSE_CAP_PARALLEL_DIROPS) {
		conn->want |= FUSE_CAP_PARALLEL_DIROPS;
		parallel_dirops = 1;
	}
}

static void sf_destroy(void *userdata)
{
	(void)userdata;
	requests_report(stderr);
	inject_report(stderr);
}

const struct fuse_lowlevel_ops slowfs_ops = {
	.init = sf_init,
	.destroy = sf_destroy,
	.lookup = sf_lookup,
	.forget = sf_forget,
	.forget_multi = sf_forget_multi,
	.getattr = sf_getattr,
	.setattr = sf_setattr,
	.readlink = sf_readlink,
	.mkdir = sf_mkdir,
	.unlink = sf_unlink,
	.rmdir = sf_rmdir,
	.symlink = sf_symlink,
	.rename = sf_rename,
	.link = sf_link,
	.open = sf_open,
	.read = sf_read,
	.write = sf_write,
	.flush = sf_flush,
	.release = sf_release,
	.fsync = sf_fsync,
	.opendir = sf_opendir,
	.readdir = sf_readdir,
	.releasedir = sf_releasedir,
	.fsyncdir = sf_fsyncdir,
	.statfs = sf_statfs,
	.setxattr = sf_setxattr,
	.getxattr = sf_getxattr,
	.listxattr = sf_listxattr,
	.removexattr = sf_removexattr,
	.create = sf_create,
};
