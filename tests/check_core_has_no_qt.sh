#!/bin/sh
# Fails when a file of the core library includes a Qt header.
hits=$(grep -rnE '#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)' "$1")
if [ -n "$hits" ]; then
  echo "The core includes Qt headers:"; echo "$hits"; exit 1
fi
echo "1 passed, 0 failed"
