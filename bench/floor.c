/* floor: the yardstick for bench/run.sh, a minimal one-thread walker/copier.
 *
 *   floor SRC DST              copy every regular file below SRC that is missing
 *                              below DST or older there (source mtime > target
 *                              mtime); directories are made as needed
 *   floor --stat-walk SRC DST  walk both sides (readdir + one fstatat per entry on
 *                              each side) and copy nothing; reports what a copy
 *                              would do, so run.sh also uses it to verify targets
 *
 * Copies are written in place (no temporary file) with copy_file_range, falling
 * back to read/write, and keep mode and mtime (futimens). Directory mtimes are
 * not kept and symlinks and other non-regular files are skipped: this is the least work a
 * copier of the same rule can do, not a tool. The counts go to stderr as one
 * "key=value" line; exit status 1 if any call failed, 2 for a usage error.
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

struct counts {
	unsigned long long dirs, files, copied, bytes, skipped, errors;
	unsigned long long dst_files, missing, older, size_diff; /* --stat-walk */
};
static struct counts n;

static void fail(const char *call, const char *name)
{
	fprintf(stderr, "floor: %s(%s): %s\n", call, name, strerror(errno));
	n.errors++;
}

static int newer(const struct stat *a, const struct stat *b)
{
	if (a->st_mtim.tv_sec != b->st_mtim.tv_sec)
		return a->st_mtim.tv_sec > b->st_mtim.tv_sec;
	return a->st_mtim.tv_nsec > b->st_mtim.tv_nsec;
}

static int open_dir(int parent, const char *name)
{
	int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
	if (fd < 0)
		fail("openat", name);
	return fd;
}

/* ---- copy mode ------------------------------------------------------------ */

static int copy_read_write(int in, int out, off_t left)
{
	static char buf[1 << 20];
	while (left > 0) {
		ssize_t got = read(in, buf, sizeof buf);
		if (got <= 0)
			return got < 0 ? -1 : 0;
		for (ssize_t done = 0; done < got;) {
			ssize_t put = write(out, buf + done, (size_t)(got - done));
			if (put < 0)
				return -1;
			done += put;
		}
		left -= got;
	}
	return 0;
}

/* Copies st_size bytes; a file that shrinks meanwhile just ends early. */
static int copy_data(int in, int out, off_t left)
{
	while (left > 0) {
		ssize_t got = copy_file_range(in, NULL, out, NULL, (size_t)left, 0);
		if (got > 0) {
			left -= got;
			continue;
		}
		if (got == 0)
			return 0;
		if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
			return copy_read_write(in, out, left);
		return -1;
	}
	return 0;
}

static int safe; /* --safe: unnamed temporary file, linked or renamed into place */

/* Puts a finished unnamed file at `name`: linked when the name is free, else
 * linked under a temporary name and renamed over the old file. */
static int publish(int out, int dfd, const char *name)
{
	char proc[64];
	snprintf(proc, sizeof proc, "/proc/self/fd/%d", out);
	if (linkat(AT_FDCWD, proc, dfd, name, AT_SYMLINK_FOLLOW) == 0)
		return 0;
	if (errno != EEXIST)
		return -1;
	unlinkat(dfd, ".floor-tmp", 0);
	if (linkat(AT_FDCWD, proc, dfd, ".floor-tmp", AT_SYMLINK_FOLLOW) < 0)
		return -1;
	return renameat(dfd, ".floor-tmp", dfd, name);
}

static int open_target(int dfd, const char *name, mode_t mode)
{
	if (safe)
		return openat(dfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
	return openat(dfd, name, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
}

static void copy_file(int sfd, int dfd, const char *name, const struct stat *st)
{
	int in = openat(sfd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
	if (in < 0)
		return fail("openat", name);
	int out = open_target(dfd, name, st->st_mode & 07777);
	if (out < 0) {
		fail("openat", name);
		close(in);
		return;
	}
	const struct timespec times[2] = { st->st_atim, st->st_mtim };
	if (copy_data(in, out, st->st_size) < 0)
		fail("copy", name);
	else if (futimens(out, times) < 0)
		fail("futimens", name);
	else if (safe && publish(out, dfd, name) < 0)
		fail("linkat", name);
	else {
		n.copied++;
		n.bytes += (unsigned long long)st->st_size;
	}
	close(out);
	close(in);
}

/* The target copy of a file is stale when it is missing or older. A target
 * directory this run has just made is known to be empty: no fstatat there. */
static int target_stale(int dfd, int fresh, const char *name, const struct stat *st)
{
	struct stat dt;
	if (fresh)
		return 1;
	if (fstatat(dfd, name, &dt, AT_SYMLINK_NOFOLLOW) == 0)
		return newer(st, &dt);
	if (errno == ENOENT)
		return 1;
	fail("fstatat", name);
	return 0;
}

static void copy_tree(int sfd, int dfd, int fresh);

static void copy_subdir(int sfd, int dfd, const char *name, const struct stat *st)
{
	int made = mkdirat(dfd, name, (st->st_mode & 07777) | S_IRWXU) == 0;
	if (!made && errno != EEXIST)
		return fail("mkdirat", name);
	int csfd = open_dir(sfd, name);
	if (csfd < 0)
		return;
	int cdfd = open_dir(dfd, name);
	if (cdfd < 0) {
		close(csfd);
		return;
	}
	copy_tree(csfd, cdfd, made);
	close(cdfd);
}

/* Takes ownership of sfd (closed with the DIR stream). */
static void copy_tree(int sfd, int dfd, int fresh)
{
	DIR *dir = fdopendir(sfd);
	if (!dir) {
		fail("fdopendir", ".");
		close(sfd);
		return;
	}
	n.dirs++;
	for (struct dirent *e; (e = readdir(dir));) {
		const char *name = e->d_name;
		struct stat st;
		if (!strcmp(name, ".") || !strcmp(name, ".."))
			continue;
		if (fstatat(sfd, name, &st, AT_SYMLINK_NOFOLLOW) < 0) {
			fail("fstatat", name);
		} else if (S_ISDIR(st.st_mode)) {
			copy_subdir(sfd, dfd, name, &st);
		} else if (!S_ISREG(st.st_mode)) {
			n.skipped++;
		} else {
			n.files++;
			if (target_stale(dfd, fresh, name, &st))
				copy_file(sfd, dfd, name, &st);
		}
	}
	closedir(dir);
}

/* ---- stat-walk mode --------------------------------------------------------- */

struct entry {
	char *name;
	struct stat st;
	int ok; /* fstatat succeeded */
};

/* One directory's entries, sorted by name; dir stays open for the *at calls. */
struct listing {
	DIR *dir;
	struct entry *v;
	size_t len, cap;
};

static int by_name(const void *a, const void *b)
{
	return strcmp(((const struct entry *)a)->name, ((const struct entry *)b)->name);
}

static void add_entry(struct listing *l, const char *name)
{
	if (l->len == l->cap) {
		l->cap = l->cap ? 2 * l->cap : 64;
		l->v = realloc(l->v, l->cap * sizeof *l->v);
		if (!l->v) {
			perror("floor: realloc");
			exit(1);
		}
	}
	struct entry *e = &l->v[l->len++];
	e->name = strdup(name);
	e->ok = fstatat(dirfd(l->dir), name, &e->st, AT_SYMLINK_NOFOLLOW) == 0;
	if (!e->ok)
		fail("fstatat", name);
}

/* readdir + one fstatat per entry. Takes ownership of fd. */
static int list_dir(int fd, struct listing *l)
{
	*l = (struct listing){ 0 };
	l->dir = fdopendir(fd);
	if (!l->dir) {
		fail("fdopendir", ".");
		close(fd);
		return -1;
	}
	for (struct dirent *e; (e = readdir(l->dir));)
		if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
			add_entry(l, e->d_name);
	qsort(l->v, l->len, sizeof *l->v, by_name);
	return 0;
}

static void free_listing(struct listing *l)
{
	for (size_t i = 0; i < l->len; i++)
		free(l->v[i].name);
	free(l->v);
	if (l->dir)
		closedir(l->dir);
}

static void stat_tree(int sfd, int dfd);

static void compare(int sfd, int dfd, const struct entry *s, const struct entry *d)
{
	if (!d || !d->ok || S_ISDIR(s->st.st_mode) != S_ISDIR(d->st.st_mode)) {
		n.missing++;
	} else if (S_ISDIR(s->st.st_mode)) {
		int csfd = open_dir(sfd, s->name);
		int cdfd = csfd < 0 ? -1 : open_dir(dfd, d->name);
		if (cdfd >= 0)
			stat_tree(csfd, cdfd);
		else if (csfd >= 0)
			close(csfd);
	} else {
		n.older += newer(&s->st, &d->st);
		n.size_diff += s->st.st_size != d->st.st_size;
	}
}

static void count_dst_files(const struct listing *dst)
{
	for (size_t i = 0; i < dst->len; i++)
		n.dst_files += dst->v[i].ok && S_ISREG(dst->v[i].st.st_mode);
}

/* Takes ownership of both fds. */
static void stat_tree(int sfd, int dfd)
{
	struct listing src, dst;
	int ok = list_dir(sfd, &src) == 0;
	if (list_dir(dfd, &dst) == 0 && ok) {
		n.dirs++;
		count_dst_files(&dst);
		for (size_t i = 0, j = 0; i < src.len; i++) {
			const struct entry *s = &src.v[i];
			if (!s->ok)
				continue;
			if (!S_ISDIR(s->st.st_mode) && !S_ISREG(s->st.st_mode)) {
				n.skipped++;
				continue;
			}
			n.files += S_ISREG(s->st.st_mode);
			while (j < dst.len && strcmp(dst.v[j].name, s->name) < 0)
				j++;
			int match = j < dst.len && !strcmp(dst.v[j].name, s->name);
			compare(dirfd(src.dir), dirfd(dst.dir), s, match ? &dst.v[j] : NULL);
		}
	}
	free_listing(&src);
	free_listing(&dst);
}

/* ---- main ----------------------------------------------------------------- */

static int usage(void)
{
	fprintf(stderr, "usage: floor [--stat-walk | --safe] SRC DST\n");
	return 2;
}

int main(int argc, char **argv)
{
	int stat_walk = argc == 4 && !strcmp(argv[1], "--stat-walk");
	safe = argc == 4 && !strcmp(argv[1], "--safe");
	if (argc != 3 + stat_walk + safe)
		return usage();
	const char *src = argv[1 + stat_walk + safe], *dst = argv[2 + stat_walk + safe];
	umask(0); /* modes are set exactly by openat/mkdirat, no fchmod needed */
	int sfd = open_dir(AT_FDCWD, src);
	int dfd = sfd < 0 ? -1 : open_dir(AT_FDCWD, dst);
	if (dfd < 0)
		return 1;
	if (stat_walk) {
		stat_tree(sfd, dfd);
		fprintf(stderr, "floor: stat-walk dirs=%llu files=%llu dst_files=%llu missing=%llu "
			"older=%llu size_diff=%llu skipped=%llu errors=%llu\n", n.dirs, n.files,
			n.dst_files, n.missing, n.older, n.size_diff, n.skipped, n.errors);
	} else {
		copy_tree(sfd, dfd, 0);
		close(dfd);
		fprintf(stderr, "floor: copy dirs=%llu files=%llu copied=%llu bytes=%llu "
			"skipped=%llu errors=%llu\n", n.dirs, n.files, n.copied, n.bytes,
			n.skipped, n.errors);
	}
	return n.errors ? 1 : 0;
}
