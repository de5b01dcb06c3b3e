#!/bin/sh
# Lays the pictures out at their places in the 913 x 530 main window, with stand-ins for the calendar and the
# notes, to judge how they look together. Usage: make-mock.sh OUT.png [normal|hover|down] [WEBCUT.png]
# The state picks the close button's picture; WEBCUT is a 311 x 70 picture of the web panel (white when absent).
# Needs rsvg-convert and ImageMagick.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-mock.png}
state=${2:-normal}
SONG="AR PL UMing CN"; HEI="WenQuanYi Zen Hei"; YAHEI="WenQuanYi Micro Hei"
svg=$(mktemp --suffix=.svg -p "$here")
trap 'rm -f "$svg"' EXIT
webcut=${3:-}
close=close_normal; mini=mini_normal
[ "$state" = hover ] && close=close_highlight && mini=mini_highlight
[ "$state" = down ] && close=close_down && mini=mini_down

# calendar stand-in: December 2025, 1st is a Monday, the 10th selected
cal() {
  x0=8; y0=66; cw=42; ch=26
  printf '<text x="14" y="24" font-family="Arial,%s" font-size="18" font-weight="bold" fill="#0000FF">2025</text>' "$HEI"
  printf '<text x="70" y="24" font-family="%s" font-size="13" fill="#000">年</text>' "$SONG"
  printf '<text x="100" y="24" font-family="Arial,%s" font-size="18" font-weight="bold" fill="#8080C0">12</text>' "$HEI"
  printf '<text x="124" y="24" font-family="%s" font-size="13" fill="#000">月</text>' "$SONG"
  printf '<text x="260" y="22" font-family="%s" font-size="12" fill="#0000FF" text-decoration="underline">今天</text>' "$SONG"
  i=0
  for w in 日 一 二 三 四 五 六; do
    c="#4F4F4F"; [ $i = 0 ] || [ $i = 6 ] && c="#FF0000"
    printf '<text x="%s" y="50" text-anchor="middle" font-family="%s" font-size="12" fill="%s">%s</text>' $((x0 + i*cw + cw/2)) "$SONG" "$c" "$w"
    i=$((i+1))
  done
  printf '<rect x="%s" y="56" width="%s" height="1" fill="#C5C5C5"/>' $x0 $((7*cw))
  lunar="十一 十二 十三 十四 十五 十六 大雪 十八 十九 二十 廿一 廿二 廿三 廿四 廿五 廿六 廿七 廿八 廿九 三十 冬至 初二 初三 初四 平安夜 圣诞节 初七 初八 初九 初十 十一"
  d=1; set -- $lunar
  while [ $d -le 31 ]; do
    cell=$((d))    # Monday the 1st: column 1
    col=$((cell % 7)); row=$((cell / 7))
    x=$((x0 + col*cw)); y=$((y0 + row*ch))
    if [ $d = 10 ]; then
      printf '<defs><linearGradient id="selg" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#00AE53"/><stop offset="1" stop-color="#00D565"/></linearGradient></defs>'
      printf '<rect x="%s" y="%s" width="%s" height="%s" fill="url(#selg)" stroke="#009346"/>' $((x+1)) $((y-1)) $((cw-2)) $((ch))
    fi
    c="#000000"; [ $col = 0 ] || [ $col = 6 ] && c="#FF0000"
    lc="#008000"; case $1 in 大雪|冬至) lc="#5353FF";; 平安夜|圣诞节) lc="#FF8000";; 初*) lc="#008000";; esac
    [ $d = 10 ] && c="#FFFFFF" && lc="#FFFFFF"
    printf '<text x="%s" y="%s" text-anchor="middle" font-family="%s" font-weight="bold" font-size="12" fill="%s">%s</text>' $((x+cw/2)) $((y+11)) "$HEI" "$c" $d
    printf '<text x="%s" y="%s" text-anchor="middle" font-family="%s" font-size="11" fill="%s">%s</text>' $((x+cw/2)) $((y+23)) "$SONG" "$lc" "$1"
    shift; d=$((d+1))
  done
  printf '<text x="205" y="%s" font-family="%s" font-size="11" fill="#000">射手座</text>' $((y0 + 4*ch + 18)) "$SONG"
  printf '<text x="250" y="%s" font-family="%s" font-size="11" fill="#000">乙巳蛇年</text>' $((y0 + 4*ch + 18)) "$SONG"
  printf '<text x="14" y="245" font-family="%s" font-size="12" fill="#808080">2025-12-10 农历十月廿一</text>' "$SONG"
}

webcut_href=$(mktemp --suffix=.png -p "$here")
trap 'rm -f "$svg" "$webcut_href"' EXIT
if [ -n "$webcut" ]; then cp "$webcut" "$webcut_href"; else convert -size 311x70 xc:white "$webcut_href"; fi
webcut_href=$(basename "$webcut_href")
{
cat <<SVG
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="913" height="530" viewBox="0 0 913 530">
<rect width="913" height="530" fill="#FFFFFF"/>
<image x="0" y="0" width="913" height="86" preserveAspectRatio="none" xlink:href="bg.png"/>
<rect x="0.5" y="0.5" width="912" height="529" fill="none" stroke="#D8E3F3"/>
<image x="55" y="11" width="196" height="40" xlink:href="logo.png"/>
<text x="343" y="31" font-family="$YAHEI" font-weight="bold" font-size="12" fill="#800000">今天是 2025年12月10日(三)</text>
<text x="761" y="71" font-family="$SONG" font-size="12" fill="#000">|  选项</text>
<image x="825" y="49" width="80" height="26" xlink:href="apptodesk.png"/>
<image x="844" y="1" width="28" height="20" xlink:href="$mini.png"/>
<image x="873" y="1" width="39" height="20" xlink:href="$close.png"/>
<image x="317" y="58" width="20" height="17" xlink:href="font.png"/>
<text x="352" y="71" text-anchor="middle" font-family="DejaVu Sans" font-weight="bold" font-size="14" fill="#000">√</text>
<text x="376" y="71" text-anchor="middle" font-family="DejaVu Sans" font-weight="bold" font-size="12" fill="#000">X</text>
<image x="395" y="54" width="37" height="21" xlink:href="date.png"/>
<image x="441" y="61" width="20" height="11" xlink:href="redcolor.png"/>
<g transform="translate(2 80)">
  <rect width="311" height="253" fill="#FFFFFF" stroke="#808080"/>
  $(cal)
  <rect y="253" width="311" height="70" fill="#FFFFFF"/>
  <image y="253" width="311" height="70" xlink:href="$webcut_href"/>
  <rect y="323" width="311" height="118" fill="#D8E3F3"/>
  <image x="63" y="340" width="176" height="50" xlink:href="addtodesk.png"/>
</g>
<g transform="translate(317 80)">
  <rect width="594" height="445" fill="#FFFFFF"/>
  <image x="4" y="0" width="587" height="26" preserveAspectRatio="none" xlink:href="title.png"/>
  <image x="4" y="215" width="586" height="25" preserveAspectRatio="none" xlink:href="title.png"/>
  <image x="395" y="0" width="195" height="26" preserveAspectRatio="none" xlink:href="selcolor.png"/>
  <g font-family="$SONG" font-size="12" fill="#000">
    <text x="12" y="17">周 一</text><text x="207" y="17">周 二</text><text x="404" y="17">周 三</text>
    <text x="12" y="232">周 四</text><text x="207" y="232">周 五</text><text x="404" y="232">周 六/日</text>
  </g>
  <g font-family="$SONG" font-size="15" fill="#000">
    <text x="8" y="48">√ 周会 09:30</text><text x="8" y="68">整理上周报告</text>
    <text x="203" y="48">× 牙医改期</text><text x="203" y="68"><tspan fill="#FF0000">█</tspan>交电费</text>
    <text x="400" y="48"> 14:05  给老王回电话</text><text x="400" y="68"><tspan fill="#0000FF">█</tspan>买书</text>
    <text x="8" y="263">准备季度计划</text>
    <text x="400" y="263">周六：爬山</text><text x="400" y="283">周日：看望父母</text>
  </g>
  <g fill="#DCE3FF">
    <rect x="2" y="0" width="1" height="445"/><rect x="197" y="3" width="1" height="442"/>
    <rect x="394" y="3" width="1" height="442"/><rect x="591" y="0" width="1" height="445"/>
    <rect x="0" y="440" width="594" height="1"/>
  </g>
</g>
</svg>
SVG
} >"$svg"
rsvg-convert -o "$out" "$svg"
