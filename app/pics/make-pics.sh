#!/bin/sh
# Draws the window's pictures as SVG and rasterises them to the PNG files next to this script.
# The PNGs are committed, so the build needs none of this; rerun it after changing a drawing.
# Needs rsvg-convert (Debian package librsvg2-bin) and the fonts fonts-wqy-microhei and fonts-dejavu.
set -eu
cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert missing: apt-get install librsvg2-bin" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

CN="WenQuanYi Micro Hei"
LATIN="DejaVu Sans"

# png NAME WIDTH HEIGHT: reads the SVG body from stdin, writes NAME.png at exactly WIDTH x HEIGHT.
png() {
    {
        printf '<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s" viewBox="0 0 %s %s">\n' "$2" "$3" "$2" "$3"
        cat
        printf '</svg>\n'
    } >"$tmp/$1.svg"
    rsvg-convert -w "$2" -h "$3" -o "$1.png" "$tmp/$1.svg"
}

# The application icon, drawn on a 256 x 256 grid; also the small icon of the logo.
icon_body() {
    cat <<'SVG'
  <defs>
    <linearGradient id="icoBlue" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#4D95EC"/>
      <stop offset="1" stop-color="#1F5CB8"/>
    </linearGradient>
    <linearGradient id="icoGreen" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#00D565"/>
      <stop offset="1" stop-color="#00AE53"/>
    </linearGradient>
    <linearGradient id="icoPage" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#FFFFFF"/>
      <stop offset="1" stop-color="#EEF3FB"/>
    </linearGradient>
  </defs>
  <rect x="12" y="12" width="232" height="232" rx="52" fill="url(#icoBlue)"/>
  <rect x="50" y="58" width="156" height="150" rx="18" fill="#0B3C82" opacity="0.25" transform="translate(0 6)"/>
  <rect x="50" y="58" width="156" height="150" rx="18" fill="url(#icoPage)"/>
  <path d="M50 76 a18 18 0 0 1 18 -18 h120 a18 18 0 0 1 18 18 v26 h-156 z" fill="url(#icoGreen)"/>
  <rect x="84" y="40" width="16" height="36" rx="8" fill="#FFFFFF"/>
  <rect x="156" y="40" width="16" height="36" rx="8" fill="#FFFFFF"/>
  <path d="M72 140 l13 13 l24 -27" fill="none" stroke="#00AE53" stroke-width="11" stroke-linecap="round" stroke-linejoin="round"/>
  <rect x="122" y="134" width="62" height="11" rx="5.5" fill="#9DB6DA"/>
  <rect x="74" y="168" width="20" height="20" rx="3" fill="#FF8000"/>
  <rect x="108" y="172" width="76" height="11" rx="5.5" fill="#9DB6DA"/>
SVG
}

# --- application icon -------------------------------------------------------
icon_body | png tavi 256 256
{ printf '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">\n'; icon_body; printf '</svg>\n'; } >tavi.svg

# --- logo: icon and name, 196 x 40 -------------------------------------------
png logo 196 40 <<SVG
  <g transform="translate(1 2) scale(0.140625)">
$(icon_body)
  </g>
  <text x="44" y="29" font-family="$LATIN" font-weight="bold" font-size="23" fill="#1F5CB8" letter-spacing="0.5">Tavi</text>
  <text x="101" y="28.5" font-family="$CN" font-size="21" fill="#2E3D52" letter-spacing="1.5">周记事本</text>
SVG

# --- window background: a soft blue band behind the title area, the top 86 rows of a 913 x 530 design -------
# The window paints white below it; keeping only the band keeps the picture small to decode and hold.
png bg 913 86 <<SVG
  <defs>
    <linearGradient id="band" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#E4EDFA"/>
      <stop offset="0.55" stop-color="#F1F6FD"/>
      <stop offset="1" stop-color="#FFFFFF"/>
    </linearGradient>
    <pattern id="dots" width="6" height="6" patternUnits="userSpaceOnUse">
      <circle cx="1.5" cy="1.5" r="0.7" fill="#C9D8EE" opacity="0.55"/>
    </pattern>
    <linearGradient id="fade" x1="0" y1="0" x2="1" y2="0">
      <stop offset="0" stop-color="#FFFFFF" stop-opacity="0"/>
      <stop offset="1" stop-color="#FFFFFF" stop-opacity="1"/>
    </linearGradient>
    <mask id="dotMask">
      <rect width="913" height="86" fill="url(#fade)"/>
    </mask>
  </defs>
  <rect width="913" height="86" fill="#FFFFFF"/>
  <rect width="913" height="86" fill="url(#band)"/>
  <rect x="420" width="493" height="86" fill="url(#dots)" mask="url(#dotMask)"/>
  <path d="M0 62 C 180 40, 360 86, 560 58 S 820 30, 913 48 L 913 0 L 0 0 Z" fill="#FFFFFF" opacity="0.35"/>
  <path d="M0 74 C 220 58, 420 92, 640 70 S 860 52, 913 60" fill="none" stroke="#D2E0F4" stroke-width="1.2" opacity="0.9"/>
SVG

# --- close and minimise, normal / under the mouse / pressed -----------------------------------------------------
cross() {  # cross glyph of the close button in colour $1
    printf '  <path d="M15.5 6.5 l8 8 M23.5 6.5 l-8 8" stroke="%s" stroke-width="1.5" stroke-linecap="round"/>\n' "$1"
}
dash() {   # dash glyph of the minimise button in colour $1
    printf '  <path d="M9 13.5 h10" stroke="%s" stroke-width="1.6" stroke-linecap="round"/>\n' "$1"
}
cross "#5F6F86" | png close_normal 39 20
{ printf '  <rect width="39" height="20" fill="#E5484D"/>\n'; cross "#FFFFFF"; } | png close_highlight 39 20
{ printf '  <rect width="39" height="20" fill="#C0303A"/>\n'; cross "#FFFFFF"; } | png close_down 39 20
dash "#5F6F86" | png mini_normal 28 20
{ printf '  <rect width="28" height="20" fill="#DCE7F7"/>\n'; dash "#1F5CB8"; } | png mini_highlight 28 20
{ printf '  <rect width="28" height="20" fill="#C2D4EF"/>\n'; dash "#17488F"; } | png mini_down 28 20

# --- tool row --------------------------------------------------------------------------------------------------
png font 20 17 <<SVG
  <text x="0.5" y="14.5" font-family="$LATIN" font-weight="bold" font-size="15" fill="#1F5CB8">A</text>
  <text x="11.5" y="14.5" font-family="$LATIN" font-weight="bold" font-size="10" fill="#5F6F86">a</text>
  <path d="M1 16.3 h18" stroke="#00AE53" stroke-width="1.2"/>
SVG

png date 37 21 <<SVG
  <circle cx="8" cy="10.5" r="6.6" fill="#FFFFFF" stroke="#1F5CB8" stroke-width="1.5"/>
  <path d="M8 6.6 v4.2 l2.8 1.8" fill="none" stroke="#1F5CB8" stroke-width="1.3" stroke-linecap="round" stroke-linejoin="round"/>
  <text x="16" y="15" font-family="$CN" font-size="10.5" fill="#2E3D52">时间</text>
SVG

png redcolor 20 11 <<SVG
  <defs>
    <linearGradient id="red" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#FF5A5A"/>
      <stop offset="1" stop-color="#E01E1E"/>
    </linearGradient>
  </defs>
  <rect x="0.5" y="0.5" width="19" height="10" rx="2" fill="url(#red)" stroke="#B81414"/>
  <rect x="2" y="2" width="16" height="2.5" rx="1" fill="#FFFFFF" opacity="0.35"/>
SVG

# --- wallpaper button at the top right ---------------------------------------------------------------------------
png apptodesk 80 26 <<SVG
  <defs>
    <linearGradient id="green" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#00D565"/>
      <stop offset="1" stop-color="#00AE53"/>
    </linearGradient>
  </defs>
  <rect x="0.5" y="0.5" width="79" height="25" rx="4" fill="url(#green)" stroke="#009346"/>
  <rect x="2" y="1.5" width="76" height="10" rx="3" fill="#FFFFFF" opacity="0.18"/>
  <text x="40" y="17.5" text-anchor="middle" font-family="$CN" font-size="12.5" fill="#FFFFFF">应用到桌面</text>
SVG

# --- picture list button of the left panel -----------------------------------------------------------------------
png addtodesk 176 50 <<SVG
  <defs>
    <linearGradient id="face" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#FFFFFF"/>
      <stop offset="1" stop-color="#F0F5FC"/>
    </linearGradient>
    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#7FB6F2"/>
      <stop offset="1" stop-color="#CFE4FA"/>
    </linearGradient>
    <clipPath id="frame"><rect x="14" y="12" width="32" height="26" rx="3"/></clipPath>
  </defs>
  <rect x="1" y="2" width="174" height="47" rx="7" fill="#9FB6D8" opacity="0.45"/>
  <rect x="0.5" y="0.5" width="175" height="47" rx="7" fill="url(#face)" stroke="#B4C8E6"/>
  <g clip-path="url(#frame)">
    <rect x="14" y="12" width="32" height="26" fill="url(#sky)"/>
    <circle cx="38" cy="19" r="3.5" fill="#FFB43C"/>
    <path d="M14 38 L24 25 L31 32 L36 27 L46 38 Z" fill="#00AE53"/>
    <path d="M14 38 L24 25 L28 30 L20 38 Z" fill="#00D565"/>
  </g>
  <rect x="14" y="12" width="32" height="26" rx="3" fill="none" stroke="#1F5CB8" stroke-width="1.4"/>
  <text x="58" y="23" font-family="$CN" font-size="15" fill="#1F4F99">壁纸图片设置</text>
  <text x="58" y="39" font-family="$CN" font-size="10.5" fill="#6A7B92">添加 · 移除 · 轮换背景</text>
SVG

# --- title strip of the week rows and the highlight of the selected day ------------------------------------------
# Only vertical shading: both pictures are stretched sideways with the window.
png title 587 26 <<SVG
  <defs>
    <linearGradient id="strip" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#F8FBFF"/>
      <stop offset="1" stop-color="#E6EEF9"/>
    </linearGradient>
  </defs>
  <rect width="587" height="26" fill="url(#strip)"/>
  <rect width="587" height="1" fill="#FFFFFF"/>
  <rect y="25" width="587" height="1" fill="#D3DFF0"/>
SVG

png selcolor 193 26 <<SVG
  <defs>
    <linearGradient id="sel" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#00D565" stop-opacity="0.16"/>
      <stop offset="1" stop-color="#00AE53" stop-opacity="0.34"/>
    </linearGradient>
  </defs>
  <rect width="193" height="26" fill="url(#sel)"/>
  <rect width="193" height="1" fill="#00AE53" opacity="0.35"/>
  <rect y="23" width="193" height="3" fill="#00AE53"/>
SVG

# --- small icon for the head of the help and feedback pages -------------------------------------------------------
rsvg-convert -w 48 -h 48 -o ../../web/help4/tavi-48.png tavi.svg

# --- the window's own icon: small, since a window manager shows it at 16 to 64 pixels ---------------------------
rsvg-convert -w 64 -h 64 -o tavi-64.png tavi.svg
