#pragma once

// Large blocks (the columns of a read register) are taken from and given back to the system
// directly. Without this the C library raises its threshold for that after the first large block
// is freed, keeps every later one in its heap, and a program that reads the register again and
// again holds the memory of several reads. Call once, before the first database is read.
void keepLargeBlocksMapped();
