#!/usr/bin/env bash
# Builds the bundled sample book lighthouse.zip from samples/lighthouse/, the
# book gbk-book.zip with GBK entry names as zipped on Chinese Windows, and
# writes the Chinese story in the code set of the current locale
# (samples/story-<codeset>.txt when the locale is not UTF-8).
set -euo pipefail
cd "$(dirname "$0")"
rm -f lighthouse.zip
(cd lighthouse && zip -q -X -r ../lighthouse.zip index.htm ch1.htm ch2.htm ch3.htm style.css images/lighthouse.png)
codeset=$(locale charmap 2>/dev/null || echo UTF-8)
case "$codeset" in
  UTF-8|utf8|ANSI_X3.4-1968) ;;
  *) iconv -f UTF-8 -t "$codeset" story.txt > "story-$codeset.txt" ;;
esac
python3 make-gbk-book.py gbk-book.zip
echo "samples: lighthouse.zip and gbk-book.zip ready"
