#!/usr/bin/env bash
# Builds the bundled sample book lighthouse.zip from samples/lighthouse/, the
# book gbk-book.zip with GBK entry names as zipped on Chinese Windows, and
# writes the Chinese story in the code set of the current locale
# (samples/story-<codeset>.txt when the locale is not UTF-8), and writes the
# novel (novel.txt, UTF-8) as a GBK file the way Chinese Windows saves it
# (novel-gbk.txt, no mark, CR LF line ends).
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
sed 's/$/\r/' novel.txt | iconv -f UTF-8 -t GBK > novel-gbk.txt
echo "samples: lighthouse.zip, gbk-book.zip and novel-gbk.txt ready"
