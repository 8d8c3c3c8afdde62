/* The inode table: one node per backing inode the kernel knows, found by device and inode
 * number, so that two names of one file (hard links) are one kernel inode too. */
#define _GNU_SOURCE
#include "nodes.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdlib.h>
#include <unistd.h>

#define BUCKETS 65536

static struct node root;
static struct node *table[BUCKETS];
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

static struct node **bucket(dev_t dev, ino_t ino)
{
	return &table[(ino ^ (dev << 7)) % BUCKETS];
}

int nodes_init(const char *dir)
{
	struct stat st;
	root.fd = open(dir, O_PATH | O_DIRECTORY | O_CLOEXEC);
	if (root.fd < 0 || fstat(root.fd, &st) != 0)
		return errno;
	root.dev = st.st_dev;
	root.ino = st.st_ino;
	root.nlookup = 1; /* the kernel never forgets its root */
	return 0;
}

/* The root is inode 1 to the kernel; every other node is known by its address. */
struct node *node_of(uint64_t ino)
{
	return ino == 1 ? &root : (struct node *)(uintptr_t)ino;
}

uint64_t ino_of(struct node *n)
{
	return n == &root ? 1 : (uint64_t)(uintptr_t)n;
}

struct node *node_ref(int fd, const struct stat *st)
{
	pthread_mutex_lock(&lock);
	struct node *n = st->st_dev == root.dev && st->st_ino == root.ino ? &root : NULL;
	struct node **head = bucket(st->st_dev, st->st_ino);
	for (struct node *p = *head; !n && p; p = p->next)
		if (p->dev == st->st_dev && p->ino == st->st_ino)
			n = p;
	if (n) {
		close(fd);
	} else if ((n = calloc(1, sizeof *n))) {
		n->fd = fd;
		n->dev = st->st_dev;
		n->ino = st->st_ino;
		n->is_symlink = S_ISLNK(st->st_mode);
		n->next = *head;
		*head = n;
	} else {
		close(fd);
	}
	if (n)
		n->nlookup++;
	pthread_mutex_unlock(&lock);
	return n;
}

void node_unref(struct node *n, uint64_t count)
{
	if (n == &root)
		return;
	pthread_mutex_lock(&lock);
	n->nlookup -= count < n->nlookup ? count : n->nlookup;
	int gone = n->nlookup == 0;
	if (gone) {
		struct node **p = bucket(n->dev, n->ino);
		while (*p != n)
			p = &(*p)->next;
		*p = n->next;
	}
	pthread_mutex_unlock(&lock);
	if (gone) {
		close(n->fd);
		free(n);
	}
}
