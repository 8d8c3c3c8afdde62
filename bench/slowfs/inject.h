/* Injected errors: at the N-th request of one kind, answer with a chosen errno instead of
 * doing it, or kill the process that sent it. For the fault cases of tests/faults. */
#ifndef SLOWFS_INJECT_H
#define SLOWFS_INJECT_H

#include <stdio.h>

#include "ops.h"

/* The kinds of request that can fail: open counts creates too, fsync that of a folder too,
 * utimens the attribute changes that set a last-write time, getdents each listing request. */
#define SLOWFS_INJECT_KINDS(X) \
	X(open) X(read) X(write) X(fsync) X(rename) X(utimens) X(getdents) X(mkdir)

#define SLOWFS_INJECT_ENUM(name) INJ_##name,
enum inject_kind { SLOWFS_INJECT_KINDS(SLOWFS_INJECT_ENUM) INJ_COUNT };
#undef SLOWFS_INJECT_ENUM

/* "KIND:N:WHAT", WHAT one of EIO, ENOSPC, EDQUOT, EROFS, ENAMETOOLONG or kill. 0 when it is
 * understood, -1 otherwise. */
int inject_parse(const char *text);

/* Counts a request of kind `k`. 0: do it. Otherwise the errno to answer with, the caller
 * already sent SIGKILL when the injection says kill. */
int inject_check(enum inject_kind k, fuse_req_t req);

/* Answers the request with the injected error, and returns, when it is the one to fail. */
#define INJECT_OR_RETURN(kind, req)                          \
	do {                                                 \
		int injected_ = inject_check(kind, req);     \
		if (injected_) {                             \
			fuse_reply_err(req, injected_);      \
			return;                              \
		}                                            \
	} while (0)

/* One line: how many requests of each kind were seen, so that a sweep knows its N. */
void inject_report(FILE *out);

#endif
