#include "ConnectionListener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

ConnectionListener::ConnectionListener()
{
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_socket, 16) != 0
        || ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(m_socket);
        m_socket = -1;
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] {
        while (!m_stop) {
            pollfd waiting{m_socket, POLLIN, 0};
            if (::poll(&waiting, 1, 50) > 0)
                acceptWaiting();
        }
    });
}

ConnectionListener::~ConnectionListener()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_socket >= 0)
        ::close(m_socket);
}

int ConnectionListener::acceptWaiting()
{
    int accepted = 0;
    for (int client; (client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; ++accepted) {
        ++m_count;
        ::close(client);
    }
    return accepted;
}

int ConnectionListener::connections()
{
    if (m_socket >= 0)
        acceptWaiting();
    return m_count;
}
