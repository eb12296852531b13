#pragma once

#include <cstddef>

// UNIX-domain socket helpers of the remote-method-call transport. Plain functions with C-style
// results so both programs (and the recorder client) share them. Relative addresses are taken
// relative to the private runtime folder; nothing here changes the working folder.

enum RmiSocketKind { RmiSocketReceive = 1, RmiSocketSend = 2, RmiSocketCheck = 3, RmiSocketServer = 4 };

// kind 4: a new server address "M%05d%05d" (process id, counter) in the runtime folder;
// kinds 1..3: the "R", "S" or "C" client path that belongs to serverPath. 1 on success, 0 on failure.
int generate_socket_path(char *buffer, size_t size, int kind, const char *serverPath);
// Listening socket at path (any old file there is removed): the socket, or -1 socket failed,
// -2 bind failed, -3 listen failed.
int serv_listen(const char *path);
// Accepts one client and checks its socket file: the client socket, or -1 accept failed, -2 the
// file cannot be examined, -3 not a socket, -4 mode not exactly 0700, -5 older than 30 seconds,
// -6 the peer is another user. The file is removed once examined.
int serv_accept(int listenFd, char *clientPath, size_t clientPathSize);
// Binds a client socket at clientPath (mode 0700) and connects to serverPath: the socket, or
// -1 socket, -2 bind, -3 permissions, -4 connect failed.
int cli_conn(const char *serverPath, const char *clientPath);

// Resolves an address the way the helpers above do (relative names live in the runtime folder).
bool rmi_resolve_path(const char *address, char *out, size_t outSize);
