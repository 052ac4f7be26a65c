#!/bin/sh
# Starts the battery catalogue from its program folder. The folder is found from where
# this launcher lies (<prefix>/bin -> <prefix>/lib/dazozizizavuv), so an installation
# under any prefix works, not only /usr.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/dazozizizavuv/dazozizizavuv" "$@"
