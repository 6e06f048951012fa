#pragma once

#include <optional>

// With a node configuration that names a station, EchoLink.exe runs the EchoLink node beside it in its own
// place: Corvane starts and finds EchoLink.exe as always, and works the real network through the node.
namespace NodeHandoff {

// The node's exit code when it ran; nullopt when the stand-in should serve (no node built, no station
// configured, or ECHOLINK_STANDIN_ONLY=1).
std::optional<int> runNodeIfConfigured(int argc, char** argv);

} // namespace NodeHandoff
