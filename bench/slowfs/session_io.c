/* libfuse 3.14 accepts FUSE_CAP_PARALLEL_DIROPS in conn->want but never puts it into its INIT
 * reply, so the kernel would run all lookups and listings of one directory one at a time,
 * which a network file system does not do. This i/o layer sets the flag in that reply, and
 * counts the replies that carry an error; all else is plain read and writev on /dev/fuse. */
#include "session_io.h"

#include <linux/fuse.h>
#include <stdatomic.h>
#include <stddef.h>
#include <sys/uio.h>
#include <unistd.h>

#include "requests.h"

int parallel_dirops;

static atomic_int init_answered;

static ssize_t read_request(int fd, void *buf, size_t len, void *userdata)
{
	(void)userdata;
	return read(fd, buf, len);
}

/* Every reply starts with a header; the first reply of a session answers INIT, and a struct
 * fuse_init_out follows. */
static ssize_t write_reply(int fd, struct iovec *iov, int count, void *userdata)
{
	(void)userdata;
	const struct fuse_out_header *header = iov[0].iov_base;
	int ok = count >= 1 && iov[0].iov_len >= sizeof *header;
	if (ok && header->error != 0)
		request_failed(-header->error);
	if (ok && !atomic_exchange(&init_answered, 1) && parallel_dirops && count >= 2 &&
	    iov[1].iov_len >= offsetof(struct fuse_init_out, flags) + sizeof(uint32_t) &&
	    header->error == 0)
		((struct fuse_init_out *)iov[1].iov_base)->flags |= FUSE_PARALLEL_DIROPS;
	return writev(fd, iov, count);
}

int session_io_install(struct fuse_session *se)
{
	static const struct fuse_custom_io io = { .read = read_request, .writev = write_reply };
	return fuse_session_custom_io(se, &io, fuse_session_fd(se));
}
