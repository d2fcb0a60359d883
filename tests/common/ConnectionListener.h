#pragma once
// A TCP listener on 127.0.0.1 that records every connection made to it and closes each at once (a
// client then fails at once instead of waiting for a server's answer). It accepts in a thread of its
// own, so connections tried by the test's own thread or by a child process are both seen.

#include <atomic>
#include <thread>

class ConnectionListener {
public:
    ConnectionListener();
    ~ConnectionListener();
    ConnectionListener(const ConnectionListener &) = delete;
    ConnectionListener &operator=(const ConnectionListener &) = delete;

    bool ok() const { return m_socket >= 0; }
    int port() const { return m_port; }
    // The connections made so far, those still waiting to be accepted included.
    int connections();

private:
    int acceptWaiting();

    int m_socket = -1;
    int m_port = 0;
    std::atomic<int> m_count{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
