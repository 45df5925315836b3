#pragma once
// chronyd answering SNTP on 127.0.0.1:port with its own configuration,
// started with -x so it never touches the machine's clock.
#include "Daemon.h"

namespace nettest {

// False with daemon.Problem() (and Missing()) set when it did not come up.
bool StartChrony(Daemon& daemon, int port);

}  // namespace nettest
