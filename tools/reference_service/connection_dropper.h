#pragma once

namespace refsvc {

// Shuts down the accepted connection between LOCAL_PORT and REMOTE_PORT on
// this machine, so the client gets no reply at all. The HTTP library offers
// no way to abandon a request unanswered, so the socket is found by its ports.
// False when no such connection is open.
bool shutDownConnection(int localPort, int remotePort);

}  // namespace refsvc
