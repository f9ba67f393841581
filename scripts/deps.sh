# Sourced by the entry scripts: makes sure the Debian packages the build needs
# are installed. As root it installs what is missing; otherwise it prints the
# exact command and stops.
zf_packages="cmake ninja-build g++ pkg-config libsdl2-dev libpng-dev libgif-dev libgtest-dev libgmock-dev libbenchmark-dev $*"
zf_missing=""
for p in $zf_packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    zf_missing="$zf_missing $p"
  fi
done
if [ -n "$zf_missing" ]; then
  if [ "$(id -u)" = 0 ]; then
    echo "Installing:$zf_missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq $zf_missing
  else
    echo "Missing packages:$zf_missing"
    echo "Install them with:"
    echo "  sudo apt-get install -y$zf_missing"
    exit 1
  fi
fi
