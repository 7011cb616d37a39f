#!/usr/bin/env python3
"""Starts and stops the servers the network tests talk to: the scripted server and nginx
with a generated document root, and the proxies (microsocks for SOCKS5 with and without a
logon, tinyproxy for HTTP CONNECT with and without Basic credentials, dante for SOCKS4,
"ssh -D" to a local sshd for SOCKS4A), all on 127.0.0.1, their ports written to DIR/ports
as "name port" lines. Proxy credentials are user/secret.

  servers.py start DIR [--big-mb N]   start them (N: size of /big.bin, default 4)
  servers.py stop DIR                 stop what start started
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))

NGINX_CONF = """
daemon on;
user root;
worker_processes 1;
pid {dir}/nginx.pid;
error_log {dir}/nginx-error.log;
events {{ worker_connections 64; }}
http {{
  access_log off;
  client_body_temp_path {dir}/tmp;
  proxy_temp_path {dir}/tmp;
  fastcgi_temp_path {dir}/tmp;
  uwsgi_temp_path {dir}/tmp;
  scgi_temp_path {dir}/tmp;
  sendfile on;
  server {{
    listen 127.0.0.1:{port};
    root {dir}/www;
  }}
}}
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_connectable(port, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        try:
            socket.create_connection(("127.0.0.1", port), 0.5).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


def make_file(path, size):
    # Bytes i % 251, so that a test can check every byte of a download.
    pattern = bytes(i % 251 for i in range(251 * 4096))
    if os.path.exists(path) and os.path.getsize(path) == size:
        return
    with open(path, "wb") as f:
        left = size
        while left:
            n = min(left, len(pattern))
            f.write(pattern[:n])
            left -= n


def start(d, big_mb):
    stop(d)
    os.makedirs(os.path.join(d, "www"), exist_ok=True)
    os.makedirs(os.path.join(d, "tmp"), exist_ok=True)
    with open(os.path.join(d, "www", "small.txt"), "wb") as f:
        f.write(b"small file\n")
    make_file(os.path.join(d, "www", "big.bin"), big_mb * 1024 * 1024)

    port_file = os.path.join(d, "scripted.port")
    if os.path.exists(port_file):
        os.remove(port_file)
    log = open(os.path.join(d, "scripted.log"), "w")
    proc = subprocess.Popen([sys.executable, os.path.join(HERE, "scripted_server.py"), port_file],
                            stdout=log, stderr=log, start_new_session=True)
    with open(os.path.join(d, "scripted.pid"), "w") as f:
        f.write(str(proc.pid))
    for _ in range(200):
        if os.path.exists(port_file):
            break
        time.sleep(0.05)
    scripted = int(open(port_file).read())

    nginx = free_port()
    conf = os.path.join(d, "nginx.conf")
    with open(conf, "w") as f:
        f.write(NGINX_CONF.format(dir=d, port=nginx))
    subprocess.run(["nginx", "-p", d, "-c", conf], check=True)
    proxies = start_proxies(d)
    if not wait_connectable(nginx) or not wait_connectable(scripted):
        sys.exit("servers did not come up")
    with open(os.path.join(d, "ports.tmp"), "w") as f:
        f.write("scripted %d\nnginx %d\n" % (scripted, nginx))
        for name, port in proxies.items():
            if wait_connectable(port):
                f.write("%s %d\n" % (name, port))
    os.rename(os.path.join(d, "ports.tmp"), os.path.join(d, "ports"))


TINYPROXY_CONF = """{user}Port {port}
Listen 127.0.0.1
Timeout 60
MaxClients 20
LogLevel Connect
{auth}"""

DANTE_CONF = """logoutput: {dir}/{name}.log
internal: 127.0.0.1 port = {port}
external: 127.0.0.1
clientmethod: none
socksmethod: none
{user}client pass {{
  from: 127.0.0.1/32 to: 0.0.0.0/0
}}
socks pass {{
  from: 127.0.0.1/32 to: 0.0.0.0/0
  command: connect bind bindreply
}}
"""

PROXY_USER, PROXY_PASSWORD = "user", "secret"


def spawn(d, name, argv):
    log = open(os.path.join(d, name + ".out"), "w")
    proc = subprocess.Popen(argv, stdout=log, stderr=log, start_new_session=True)
    with open(os.path.join(d, name + ".pid"), "w") as f:
        f.write(str(proc.pid))


def start_proxies(d):
    """Starts every proxy whose program is installed; returns {name: port}."""
    root = os.geteuid() == 0
    started = {}
    def want(program):
        return shutil.which(program) is not None
    if want("microsocks"):
        for name, extra in (("socks5", []), ("socks5_auth", ["-u", PROXY_USER, "-P", PROXY_PASSWORD])):
            port = free_port()
            spawn(d, name, ["microsocks", "-i", "127.0.0.1", "-p", str(port)] + extra)
            started[name] = port
    if want("tinyproxy"):
        for name, auth in (("http_proxy", ""), ("http_proxy_auth", "BasicAuth %s %s\n" % (PROXY_USER, PROXY_PASSWORD))):
            port = free_port()
            conf = os.path.join(d, name + ".conf")
            with open(conf, "w") as f:
                f.write(TINYPROXY_CONF.format(port=port, auth=auth,
                                              user="User nobody\nGroup nogroup\n" if root else ""))
            spawn(d, name, ["tinyproxy", "-d", "-c", conf])
            started[name] = port
    danted = shutil.which("danted") or shutil.which("sockd")
    if danted:
        port = free_port()
        conf = os.path.join(d, "socks4.conf")
        with open(conf, "w") as f:
            f.write(DANTE_CONF.format(dir=d, name="socks4", port=port,
                                      user="user.privileged: root\nuser.unprivileged: nobody\n" if root else ""))
        spawn(d, "socks4", [danted, "-f", conf, "-p", os.path.join(d, "socks4.danted.pid")])
        started["socks4"] = port
    if root and shutil.which("ssh") and os.path.exists("/usr/sbin/sshd"):
        port = start_ssh_socks(d)
        if port:
            started["socks4a"] = port
    return started


SSHD_CONF = """ListenAddress 127.0.0.1
Port {port}
HostKey {dir}/hostkey
PidFile {dir}/sshd.daemon.pid
AuthorizedKeysFile {dir}/authorized_keys
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
AllowTcpForwarding yes
"""


def start_ssh_socks(d):
    """A local sshd and an "ssh -D" to it: OpenSSH's dynamic forwarding speaks SOCKS4A."""
    ssh_dir = os.path.join(d, "ssh")
    os.makedirs(ssh_dir, exist_ok=True)
    for key in ("hostkey", "userkey"):
        if not os.path.exists(os.path.join(ssh_dir, key)):
            subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f",
                            os.path.join(ssh_dir, key)], check=True)
    shutil.copy(os.path.join(ssh_dir, "userkey.pub"), os.path.join(ssh_dir, "authorized_keys"))
    # sshd insists on its privilege separation directory; it goes again on stop.
    if not os.path.isdir("/run/sshd"):
        os.makedirs("/run/sshd", mode=0o755)
        open(os.path.join(d, "run_sshd.created"), "w").close()
    sshd_port, socks_port = free_port(), free_port()
    conf = os.path.join(ssh_dir, "sshd_config")
    with open(conf, "w") as f:
        f.write(SSHD_CONF.format(dir=ssh_dir, port=sshd_port))
    spawn(d, "sshd", ["/usr/sbin/sshd", "-D", "-e", "-f", conf])
    if not wait_connectable(sshd_port):
        return 0
    spawn(d, "socks4a", ["ssh", "-N", "-D", "127.0.0.1:%d" % socks_port,
                         "-i", os.path.join(ssh_dir, "userkey"), "-p", str(sshd_port),
                         "-o", "StrictHostKeyChecking=no", "-o", "UserKnownHostsFile=/dev/null",
                         "-o", "BatchMode=yes", "-o", "ExitOnForwardFailure=yes",
                         "root@127.0.0.1"])
    return socks_port


def kill_pid_file(path):
    try:
        pid = int(open(path).read().strip())
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            os.kill(pid, 0)
            with open("/proc/%d/stat" % pid) as f:
                if f.read().split(")")[-1].split()[0] == "Z":
                    break  # exited; nobody reaps it here
            time.sleep(0.02)
    except (OSError, ValueError):
        pass
    if os.path.exists(path):
        os.remove(path)


def stop(d):
    kill_pid_file(os.path.join(d, "scripted.pid"))
    kill_pid_file(os.path.join(d, "nginx.pid"))
    for name in ("socks5", "socks5_auth", "http_proxy", "http_proxy_auth", "socks4", "socks4a",
                 "sshd"):
        kill_pid_file(os.path.join(d, name + ".pid"))
    marker = os.path.join(d, "run_sshd.created")
    if os.path.exists(marker):
        try:
            os.rmdir("/run/sshd")
        except OSError:
            pass
        os.remove(marker)
    ports = os.path.join(d, "ports")
    if os.path.exists(ports):
        os.remove(ports)


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit(__doc__)
    d = os.path.abspath(sys.argv[2])
    if sys.argv[1] == "start":
        big = int(sys.argv[4]) if len(sys.argv) > 4 and sys.argv[3] == "--big-mb" else 4
        start(d, big)
    else:
        stop(d)


if __name__ == "__main__":
    main()
