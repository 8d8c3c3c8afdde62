/* The delay is an absolute deadline on the monotonic clock, so a wake-up that comes early
 * (a signal) sleeps again and one that comes late does not add up over requests. */
#define _GNU_SOURCE
#include "requests.h"

#include <errno.h>
#include <stdatomic.h>
#include <string.h>
#include <time.h>

#define MAX_ERRNO 256

unsigned delay_us;

static atomic_ullong counts[REQ_COUNT];
static atomic_ullong failures[MAX_ERRNO]; /* by errno value; 0 holds the rest */

#define SLOWFS_NAME(name) #name,
static const char *const names[REQ_COUNT] = { SLOWFS_REQUESTS(SLOWFS_NAME) };
#undef SLOWFS_NAME

void request_count(enum request r)
{
	atomic_fetch_add_explicit(&counts[r], 1, memory_order_relaxed);
}

void request_begin(enum request r)
{
	request_count(r);
	if (delay_us == 0)
		return;
	struct timespec until;
	clock_gettime(CLOCK_MONOTONIC, &until);
	until.tv_nsec += (long)(delay_us % 1000000) * 1000;
	until.tv_sec += delay_us / 1000000 + until.tv_nsec / 1000000000;
	until.tv_nsec %= 1000000000;
	while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, NULL) == EINTR)
		;
}

void request_failed(int err)
{
	atomic_fetch_add_explicit(&failures[err > 0 && err < MAX_ERRNO ? err : 0], 1,
				  memory_order_relaxed);
}

void requests_report(FILE *out)
{
	unsigned long long total = 0; /* the requests that waited: all but forget */
	for (int r = 0; r < REQ_COUNT; r++)
		total += r == REQ_forget ? 0 : atomic_load(&counts[r]);
	fprintf(out, "slowfs: requests=%llu", total);
	for (int r = 0; r < REQ_COUNT; r++)
		if (atomic_load(&counts[r]))
			fprintf(out, " %s=%llu", names[r], (unsigned long long)atomic_load(&counts[r]));
	fprintf(out, " | errors:");
	for (int e = 0; e < MAX_ERRNO; e++) {
		const char *name = e ? strerrorname_np(e) : "other";
		unsigned long long n = atomic_load(&failures[e]);
		if (n)
			fprintf(out, " %s=%llu", name ? name : "?", n);
	}
	fprintf(out, "\n");
}
