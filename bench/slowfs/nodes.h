/* The kernel's inodes of a slowfs mount, each held as an O_PATH descriptor of the backing file. */
#ifndef SLOWFS_NODES_H
#define SLOWFS_NODES_H

#include <stdint.h>
#include <sys/stat.h>

struct node {
	int fd;          /* O_PATH, so that it works for any kind of file and pins the inode */
	dev_t dev;
	ino_t ino;
	int is_symlink;
	uint64_t nlookup; /* references the kernel holds; 0 = gone */
	struct node *next;
};

/* Makes `dir` (a directory) the root node; 0 or an errno value. */
int nodes_init(const char *dir);

/* The node of a kernel inode number. */
struct node *node_of(uint64_t ino);
uint64_t ino_of(struct node *n);

/* The node for `fd` with attributes `st`, one kernel reference more. Takes `fd`: it is kept
 * in a new node or closed when the inode already has one. NULL when out of memory. */
struct node *node_ref(int fd, const struct stat *st);

/* Drops `count` kernel references; the node is freed with the last. */
void node_unref(struct node *n, uint64_t count);

#endif
