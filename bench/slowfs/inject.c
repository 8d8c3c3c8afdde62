/* One injection per mount: the counts start at the mount, and the N-th request of the kind
 * is the one that fails; every other request is done as usual. */
#define _GNU_SOURCE
#include "inject.h"

#include <errno.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdlib.h>
#include <string.h>

#define SLOWFS_INJECT_NAME(name) #name,
static const char *const kind_names[INJ_COUNT] = { SLOWFS_INJECT_KINDS(SLOWFS_INJECT_NAME) };
#undef SLOWFS_INJECT_NAME

static const struct {
	const char *name;
	int err;
} errors[] = {
	{ "EIO", EIO }, { "ENOSPC", ENOSPC }, { "EDQUOT", EDQUOT }, { "EROFS", EROFS },
	{ "ENAMETOOLONG", ENAMETOOLONG },
};

static atomic_ullong counts[INJ_COUNT];
static int inject_kind = -1; /* none */
static unsigned long long inject_at;
static int inject_err; /* 0: kill the caller */

static int parse_what(const char *what)
{
	if (strcmp(what, "kill") == 0) {
		inject_err = 0;
		return 0;
	}
	for (size_t i = 0; i < sizeof errors / sizeof errors[0]; i++) {
		if (strcmp(what, errors[i].name) == 0) {
			inject_err = errors[i].err;
			return 0;
		}
	}
	return -1;
}

int inject_parse(const char *text)
{
	const char *colon = strchr(text, ':');
	if (!colon)
		return -1;
	for (int k = 0; k < INJ_COUNT; k++)
		if (strlen(kind_names[k]) == (size_t)(colon - text) &&
		    strncmp(text, kind_names[k], (size_t)(colon - text)) == 0)
			inject_kind = k;
	char *end = NULL;
	inject_at = strtoull(colon + 1, &end, 10);
	if (inject_kind < 0 || inject_at == 0 || !end || *end != ':')
		return -1;
	return parse_what(end + 1);
}

int inject_check(enum inject_kind k, fuse_req_t req)
{
	unsigned long long n = atomic_fetch_add(&counts[k], 1) + 1;
	if ((int)k != inject_kind || n != inject_at)
		return 0;
	if (inject_err)
		return inject_err;
	const struct fuse_ctx *ctx = fuse_req_ctx(req);
	if (ctx && ctx->pid > 0)
		kill(ctx->pid, SIGKILL);
	return EIO; /* the answer nobody waits for any more */
}

void inject_report(FILE *out)
{
	fprintf(out, "slowfs: injectable");
	for (int k = 0; k < INJ_COUNT; k++)
		fprintf(out, " %s=%llu", kind_names[k], (unsigned long long)atomic_load(&counts[k]));
	fprintf(out, "\n");
}
