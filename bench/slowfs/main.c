/* slowfs: a passthrough FUSE file system in which every request waits a fixed time, to stand
 * in for a NAS or a slow USB disk in bench/slow_target.sh, and which can fail one request of
 * a kind, for tests/faults/injected_errors.sh. Not part of Quillstone.
 *
 *   slowfs [-o delay_us=N] [-o drop_times] [-o fail=KIND:N:WHAT] [FUSE options] BACKING MOUNTPOINT
 *
 * Every request the kernel sends and waits for (lookup, getattr, create, write, setattr,
 * rename, flush, ...) first sleeps delay_us microseconds, then is done on the same file below
 * BACKING; delay_us=0 (the default) is a plain passthrough. Requests are served by libfuse's
 * multithreaded loop, threads started on demand up to max_threads (64 unless -o max_threads
 * says otherwise), so that many requests can wait at once. With drop_times, times set on a
 * file are ignored, as by a WebDAV server or share that dates files by itself (the fault case
 * tests/faults/unkept_times.sh). With fail, the N-th request of KIND since the mount is
 * answered with the errno WHAT instead, or its caller is killed (WHAT = kill). At unmount two
 * lines on stderr count the requests of each kind, the second by the kinds that can fail. Run
 * it as root, with -o default_permissions.
 */
#define _GNU_SOURCE
#include "ops.h"

#include <limits.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "inject.h"
#include "nodes.h"
#include "requests.h"
#include "session_io.h"

struct options {
	char *backing;
	unsigned delay_us;
	int drop_times;
	char *fail;
};

static const struct fuse_opt option_spec[] = {
	{ "delay_us=%u", offsetof(struct options, delay_us), 0 },
	{ "drop_times", offsetof(struct options, drop_times), 1 },
	{ "fail=%s", offsetof(struct options, fail), 0 },
	FUSE_OPT_END
};

/* The first plain argument is the backing directory; libfuse takes the mount point. */
static int take_backing(void *data, const char *arg, int key, struct fuse_args *out)
{
	(void)out;
	struct options *o = data;
	if (key != FUSE_OPT_KEY_NONOPT || o->backing)
		return 1;
	o->backing = strdup(arg);
	return o->backing ? 0 : -1;
}

static void usage(const char *program)
{
	printf("usage: %s [-o delay_us=N] [-o drop_times] [-o fail=KIND:N:WHAT] [options] BACKING MOUNTPOINT\n\n"
	       "    -o delay_us=N          wait N microseconds in every request (default 0)\n"
	       "    -o drop_times          ignore the times a caller sets on a file\n"
	       "    -o fail=KIND:N:WHAT    answer the N-th request of KIND (open read write fsync\n"
	       "                           rename utimens getdents mkdir) with WHAT (EIO ENOSPC\n"
	       "                           EDQUOT EROFS ENAMETOOLONG), or kill its caller (kill)\n",
	       program);
}

/* Each kernel inode holds one descriptor of the backing file. */
static void raise_open_file_limit(void)
{
	struct rlimit limit;
	if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
		limit.rlim_cur = limit.rlim_max;
		setrlimit(RLIMIT_NOFILE, &limit);
	}
}

static int serve(struct fuse_session *se, const struct fuse_cmdline_opts *cmd)
{
	if (cmd->singlethread)
		return fuse_session_loop(se);
	struct fuse_loop_config *config = fuse_loop_cfg_create();
	if (!config)
		return -1;
	fuse_loop_cfg_set_clone_fd(config, (unsigned)cmd->clone_fd);
	fuse_loop_cfg_set_max_threads(config, cmd->max_threads);
	if (cmd->max_idle_threads != UINT_MAX) /* UINT_MAX: not given, keep libfuse's */
		fuse_loop_cfg_set_idle_threads(config, cmd->max_idle_threads);
	int rc = fuse_session_loop_mt(se, config);
	fuse_loop_cfg_destroy(config);
	return rc;
}

static int mount_and_serve(struct fuse_args *args, const struct fuse_cmdline_opts *cmd)
{
	struct fuse_session *se = fuse_session_new(args, &slowfs_ops, sizeof slowfs_ops, NULL);
	if (!se)
		return 1;
	int rc = 1;
	if (fuse_set_signal_handlers(se) == 0) {
		if (fuse_session_mount(se, cmd->mountpoint) == 0) {
			if (session_io_install(se) == 0) {
				fuse_daemonize(cmd->foreground);
				rc = serve(se, cmd) == 0 ? 0 : 1;
			}
			fuse_session_unmount(se);
		}
		fuse_remove_signal_handlers(se);
	}
	fuse_session_destroy(se);
	return rc;
}

int main(int argc, char *argv[])
{
	struct fuse_args args = FUSE_ARGS_INIT(argc, argv);
	struct options o = { 0 };
	struct fuse_cmdline_opts cmd = { 0 };
	/* put before the caller's options, so that a -o max_threads given there wins */
	if (fuse_opt_parse(&args, &o, option_spec, take_backing) != 0 ||
	    fuse_opt_insert_arg(&args, 1, "-omax_threads=64") != 0 ||
	    fuse_parse_cmdline(&args, &cmd) != 0)
		return 2;
	int rc = 0;
	if (cmd.show_help) {
		usage(argv[0]);
		fuse_cmdline_help();
		fuse_lowlevel_help();
	} else if (cmd.show_version) {
		fuse_lowlevel_version();
	} else if (!o.backing || !cmd.mountpoint) {
		usage(argv[0]);
		rc = 2;
	} else if (o.fail && inject_parse(o.fail) != 0) {
		fprintf(stderr, "slowfs: -o fail=%s: not KIND:N:WHAT\n", o.fail);
		rc = 2;
	} else if ((rc = nodes_init(o.backing)) != 0) {
		fprintf(stderr, "slowfs: %s: %s\n", o.backing, strerror(rc));
		rc = 1;
	} else {
		delay_us = o.delay_us;
		drop_times = o.drop_times;
		umask(0);                     /* modes arrive with the caller's umask applied */
		prctl(PR_SET_TIMERSLACK, 1UL); /* sleep the delay, not 50 us more; threads inherit it */
		raise_open_file_limit();
		rc = mount_and_serve(&args, &cmd);
	}
	free(cmd.mountpoint);
	free(o.backing);
	free(o.fail);
	fuse_opt_free_args(&args);
	return rc;
}
