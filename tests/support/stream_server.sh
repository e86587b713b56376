#!/usr/bin/env bash
# Live test streams on loopback: an Icecast server on a free 127.0.0.1 port with a private
# configuration in a directory of the caller's choosing, fed by a live 440 Hz sine as MP3
# (mount /live.mp3) and as Ogg Vorbis (mount /live.ogg).
#
# Source this file and call the functions, or run it as a command with the same names:
#   stream_server.sh start DIR [BURST_SECONDS]   prints the port on stdout
#   stream_server.sh stop DIR
#
# Functions (every one takes the state directory DIR first; nothing else is global):
#   stream_server_start DIR [BURST_SECONDS] [SOURCES]
#       Creates DIR, picks a free port (or, when DIR/port exists from an earlier start and
#       that port is free, the same one: a server that comes back), starts icecast2 and, unless SOURCES is "none", the
#       two gst-launch shout2send sources; waits until both mounts are listed, then
#       BURST_SECONDS more (default 4) so that the server holds a burst for new listeners.
#       Writes DIR/port and DIR/pids (one PID a line, Icecast first). Prints the port.
#       Returns non-zero (after stopping whatever it started) when anything fails.
#   stream_server_stop DIR
#       Sends SIGTERM to the PIDs in DIR/pids (sources first), waits up to 3 s for each,
#       then SIGKILL. Never kills anything by name.
#   stream_server_port DIR            prints the port chosen by start.
#   stream_server_set_title DIR TITLE sets the StreamTitle of /live.mp3 (admin API).
#   stream_server_listener_agents DIR prints the User-Agent of every listener request
#                                     logged in Icecast's access log so far.
# Credentials: source password "srcpw", admin "admin"/"adminpw". Sound: 44.1 kHz stereo.
# Needs: icecast2, gstreamer1.0-tools, gstreamer1.0-plugins-good (lamemp3enc, shout2send),
# gstreamer1.0-plugins-base (vorbisenc, oggmux), curl.

_stream_server_port_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

_stream_server_mount_listed() { # DIR MOUNT
    curl -s --max-time 2 -u admin:adminpw "http://127.0.0.1:$(cat "$1/port")/admin/stats" |
        grep -q "<source mount=\"$2\">"
}

stream_server_port() { cat "$1/port"; }

stream_server_start() {
    local dir=$1 burst=${2:-4} sources=${3:-both} port="" try
    mkdir -p "$dir/log" || return 1
    # Icecast drops to its own user, which must reach the log directory.
    chmod 755 "$dir"
    : >"$dir/pids"
    chown icecast2:icecast "$dir/log" 2>/dev/null || chmod 777 "$dir/log"
    if [ -f "$dir/port" ] && _stream_server_port_free "$(cat "$dir/port")"; then
        port=$(cat "$dir/port")
    fi
    for try in $(seq 1 40); do
        [ -n "$port" ] && break
        port=$((20000 + (RANDOM * 7 + $$ + try) % 30000))
        _stream_server_port_free "$port" && break
        port=""
    done
    [ -n "$port" ] || { echo "stream_server: no free port" >&2; return 1; }
    echo "$port" >"$dir/port"
    cat >"$dir/icecast.xml" <<XML
<icecast>
  <limits><clients>20</clients><sources>4</sources><burst-size>65535</burst-size><source-timeout>10</source-timeout></limits>
  <authentication><source-password>srcpw</source-password><admin-user>admin</admin-user><admin-password>adminpw</admin-password></authentication>
  <hostname>127.0.0.1</hostname>
  <listen-socket><port>$port</port><bind-address>127.0.0.1</bind-address></listen-socket>
  <paths><basedir>/usr/share/icecast2</basedir><logdir>$dir/log</logdir>
    <webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot></paths>
  <logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog><loglevel>3</loglevel></logging>
  <security><chroot>0</chroot><changeowner><user>icecast2</user><group>icecast</group></changeowner></security>
</icecast>
XML
    icecast2 -c "$dir/icecast.xml" >"$dir/icecast.out" 2>&1 &
    echo $! >>"$dir/pids"
    local up=0
    for try in $(seq 1 50); do
        if ! _stream_server_port_free "$port"; then up=1; break; fi
        sleep 0.1
    done
    [ $up = 1 ] || { echo "stream_server: icecast did not start" >&2; stream_server_stop "$dir"; return 1; }
    if [ "$sources" != none ]; then
        local caps="audio/x-raw,rate=44100,channels=2"
        gst-launch-1.0 -q audiotestsrc is-live=true wave=sine freq=440 ! $caps ! audioconvert ! \
            lamemp3enc target=bitrate bitrate=128 cbr=true ! \
            shout2send ip=127.0.0.1 port="$port" password=srcpw mount=/live.mp3 \
            >"$dir/mp3src.out" 2>&1 &
        echo $! >>"$dir/pids"
        gst-launch-1.0 -q audiotestsrc is-live=true wave=sine freq=440 ! $caps ! audioconvert ! \
            vorbisenc ! oggmux ! shout2send ip=127.0.0.1 port="$port" password=srcpw \
            mount=/live.ogg >"$dir/oggsrc.out" 2>&1 &
        echo $! >>"$dir/pids"
        local ok=0
        for try in $(seq 1 100); do
            if _stream_server_mount_listed "$dir" /live.mp3 &&
                _stream_server_mount_listed "$dir" /live.ogg; then
                ok=1
                break
            fi
            sleep 0.1
        done
        [ $ok = 1 ] || { echo "stream_server: sources did not connect" >&2; stream_server_stop "$dir"; return 1; }
        sleep "$burst"
    fi
    echo "$port"
}

stream_server_stop() {
    local dir=$1 pid n
    [ -f "$dir/pids" ] || return 0
    for pid in $(tac "$dir/pids"); do
        kill -TERM "$pid" 2>/dev/null || continue
        for n in $(seq 1 30); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    : >"$dir/pids"
}

stream_server_set_title() {
    curl -s --max-time 2 -G -u admin:adminpw --data-urlencode "song=$2" \
        "http://127.0.0.1:$(cat "$1/port")/admin/metadata?mount=/live.mp3&mode=updinfo" >/dev/null
}

stream_server_listener_agents() {
    # Combined log format: the user agent is the last quoted field.
    sed -n 's/.*"\([^"]*\)" [0-9]*$/\1/p' "$1/log/access.log" 2>/dev/null
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    cmd=$1
    shift
    case "$cmd" in
    start | stop | port | set_title | listener_agents) "stream_server_$cmd" "$@" ;;
    *)
        echo "usage: $0 start DIR [BURST_SECONDS] [both|none] | stop DIR | port DIR | set_title DIR TITLE | listener_agents DIR" >&2
        exit 2
        ;;
    esac
fi
