# Sourced by test.sh after wine_env_start: the loopback HTTPS and FTP servers of the web
# export's tests (net_servers.py), with a test CA trusted inside the Wine prefix only.
# net_servers_stop ends them. No traffic leaves 127.0.0.0/8.

NET_SERVERS_PID=
NET_SERVERS_DIR=
NET_SERVERS_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The Wine path of a Unix path, through drive Z:.
net_servers_winpath() { printf 'Z:%s' "${1//\//\\}"; }

# A CA and a localhost certificate it signed: $1 folder, $2 name prefix ("" or "untrusted-").
net_servers_ca() {
  local pki=$1 p=$2
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Vorbel ${p}test CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$pki/${p}ca.key" -out "$pki/${p}ca.pem" 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" \
    -keyout "$pki/${p}localhost.key" -out "$pki/${p}localhost.csr" 2>/dev/null
  # Wine matches DNS names only, not IP addresses.
  printf '%s\n' "subjectAltName=DNS:localhost" "basicConstraints=CA:FALSE" \
    "keyUsage=critical,digitalSignature,keyEncipherment" "extendedKeyUsage=serverAuth" > "$pki/${p}ext.cnf"
  openssl x509 -req -days 825 -in "$pki/${p}localhost.csr" -CA "$pki/${p}ca.pem" -CAkey "$pki/${p}ca.key" \
    -CAcreateserial -extfile "$pki/${p}ext.cnf" -out "$pki/${p}localhost.pem" 2>/dev/null
  # The chain goes out with the certificate.
  cat "$pki/${p}localhost.pem" "$pki/${p}ca.pem" > "$pki/${p}localhost-chain.pem"
  openssl x509 -in "$pki/${p}ca.pem" -outform der -out "$pki/${p}ca.der"
}

# Made once, and again when a certificate is within 30 days of its end.
net_servers_pki() {
  local pki=$1
  if [ -f "$pki/untrusted-localhost-chain.pem" ] &&
     openssl x509 -checkend 2592000 -noout -in "$pki/localhost.pem" >/dev/null &&
     openssl x509 -checkend 2592000 -noout -in "$pki/untrusted-localhost.pem" >/dev/null; then
    return 0
  fi
  rm -rf "$pki"
  mkdir -p "$pki"
  net_servers_ca "$pki" ""
  net_servers_ca "$pki" "untrusted-"
}

# $1: trust_test_ca.exe
net_servers_start() { net_servers_trust "$1" && net_servers_launch; }

# Trusts the test CA in the current prefix: $1 trust_test_ca.exe.
net_servers_trust() {
  local pki="$WINE_ENV_ROOT/net-pki"
  net_servers_pki "$pki"
  wine_env_bounded 60 wine "$1" "$(net_servers_winpath "$pki/ca.der")" </dev/null >/dev/null || {
    echo "net servers: the test CA could not be trusted in $WINEPREFIX" >&2
    return 1
  }
}

# Starts the servers, with the certificates net_servers_trust made, and exports where they are.
# Apart from it for a caller whose Wine runs where ports below 1024 cannot be bound (an
# unprivileged user namespace).
net_servers_launch() {
  # WinINet follows these: the tests' traffic must go straight to loopback.
  unset http_proxy https_proxy ftp_proxy all_proxy no_proxy HTTP_PROXY HTTPS_PROXY FTP_PROXY ALL_PROXY NO_PROXY
  local pki="$WINE_ENV_ROOT/net-pki"
  net_servers_pki "$pki"
  NET_SERVERS_DIR=$(mktemp -d "$WINE_ENV_ROOT/net-rig.XXXXXX")
  /usr/bin/python3 "$NET_SERVERS_HERE/net_servers.py" --dir "$NET_SERVERS_DIR" --pki "$pki" \
    >"$NET_SERVERS_DIR/servers.log" 2>&1 </dev/null &
  NET_SERVERS_PID=$!
  for _ in $(seq 1 150); do
    [ -f "$NET_SERVERS_DIR/ready.env" ] && break
    kill -0 "$NET_SERVERS_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -f "$NET_SERVERS_DIR/ready.env" ]; then
    echo "the loopback net servers did not start within 15 s (package python3-pyftpdlib; tools/install-deps.sh installs it):" >&2
    cat "$NET_SERVERS_DIR/servers.log" >&2
    return 1
  fi
  set -a
  . "$NET_SERVERS_DIR/ready.env"
  set +a
  VORBEL_TEST_NET_DIR=$(net_servers_winpath "$NET_SERVERS_DIR")
  export VORBEL_TEST_NET_DIR
  echo "net servers: HTTPS localhost:$VORBEL_TEST_HTTPS_PORT, FTP $VORBEL_TEST_FTP_HOST:21"
}

net_servers_stop() {
  if [ -n "$NET_SERVERS_PID" ]; then
    kill "$NET_SERVERS_PID" 2>/dev/null || true
    wait "$NET_SERVERS_PID" 2>/dev/null || true
  fi
  [ -n "$NET_SERVERS_DIR" ] && rm -rf "$NET_SERVERS_DIR"
  NET_SERVERS_PID=
  NET_SERVERS_DIR=
  return 0
}
