#pragma once

// The agent's D-Bus contract, shared by VORAMenuBar, the agent's stand-in
// and the tests (docs/dbus.md describes it; the XML under dbus/ is its
// introspection data).

// Reverse-DNS prefix of every name the agent owns or posts.
inline constexpr const char* kAgentPrefix = "com.orvel.vora";

// The privileged helper service, on the system bus.
inline constexpr const char* kHelperService = "com.orvel.vora.AgentHelperService";
inline constexpr const char* kHelperPath = "/com/orvel/vora/AgentHelperService";
inline constexpr const char* kHelperInterface = "com.orvel.vora.AgentHelperProtocol";
inline constexpr const char* kHelperRestartAgent = "RestartAgent";
inline constexpr const char* kHelperRunInventory = "RunInventory";
inline constexpr const char* kHelperGetConnectedStatus = "GetConnectedStatus";
// The error of a command the helper did not run because no polkit authority
// could be asked (a refusal as well, but not the administrator's).
inline constexpr const char* kHelperAuthorizationUnavailable =
    "com.orvel.vora.Error.AuthorizationUnavailable";
// The error of a command refused at once because its caller's user already
// waits for an authorization (one at a time per user).
inline constexpr const char* kHelperAuthorizationPending = "com.orvel.vora.Error.AuthorizationPending";

// System-wide notifications: the broadcast signal Posted(s name).
inline constexpr const char* kNotifyPath = "/com/orvel/vora/Notify";
inline constexpr const char* kNotifyInterface = "com.orvel.vora.Notify";
inline constexpr const char* kNotifySignal = "Posted";
inline constexpr const char* kAgentWasRestarted = "com.orvel.vora.agentWasRestarted";
inline constexpr const char* kAgentInventoryWasRun = "com.orvel.vora.agentInventoryWasRun";
// Observers obey postings only from the current owner of this name (and
// their own); the bus policy lets only root send them at all.
inline constexpr const char* kNotifyTrustedSender = kHelperService;

// Polkit actions the helper checks before it runs a command; GetConnectedStatus
// needs none (packaging/polkit/com.orvel.vora.policy).
inline constexpr const char* kRestartAgentAction = "com.orvel.vora.restart-agent";
inline constexpr const char* kRunInventoryAction = "com.orvel.vora.run-inventory";

// One VORAMenuBar per session: the name it owns on the session bus.
inline constexpr const char* kMenuBarSessionName = "com.orvel.vora.VORAMenuBar";
