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
#   stream_server_start DIR [BURST_SECONDS] [SOURCES] [tls]
#       Creates DIR, picks a free port (or, when DIR/port exists from an earlier start and
#       that port is free, the same one: a server that comes back), starts icecast2 and, unless SOURCES is "none", the
#       two gst-launch shout2send sources; waits until both mounts are listed, then
#       BURST_SECONDS more (default 4) so that the server holds a burst for new listeners.
#       Writes DIR/port and DIR/pids (one PID a line, Icecast first). Prints the port.
#       With "tls", Icecast also listens with TLS on a second free port (DIR/tls_port),
#       with a self-signed certificate for 127.0.0.1 whose certificate is DIR/cert.pem.
#       A start that fails is tried again, three times in all; returns non-zero (after
#       stopping whatever it started) when the last one fails too.
#   stream_server_stop DIR
#       Sends SIGTERM to the PIDs in DIR/pids, SIGKILL to any left after 0.5 s, and waits
#       until they are gone. Never kills anything by name.
#   stream_server_port DIR            prints the port chosen by start.
#   stream_server_stop_sources DIR    stops only the two sources (Icecast stays up and
#                                     answers 404 for their mounts).
#   stream_server_start_sources DIR   starts them again; returns when both mounts are listed.
#   stream_server_set_title DIR TITLE sets the StreamTitle of /live.mp3 (admin API).
#   stream_server_drop_listeners DIR MOUNT AGENT
#                                     the server closes the connections of the mount's
#                                     listeners whose User-Agent begins with AGENT (while
#                                     the source goes on); prints their IDs.
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
    local dir=$1 attempt
    # Icecast 2.4 has been seen to crash while the sources connect on a loaded machine: the
    # whole start is tried again (on the same port while it is free, so that a server that
    # comes back is found where it was).
    for attempt in 1 2 3; do
        _stream_server_start_once "$@" && return 0
        echo "stream_server: start failed (attempt $attempt)" >&2
        [ -f "$dir/icecast.out" ] && cat "$dir/icecast.out" >&2
    done
    return 1
}

_stream_server_start_once() {
    local dir=$1 burst=${2:-4} sources=${3:-both} tls=${4:-} port="" try
    mkdir -p "$dir/log" || return 1
    # Icecast drops to its own user, which must reach the log directory.
    chmod 755 "$dir"
    : >"$dir/pids"
    chown icecast2:icecast "$dir/log" 2>/dev/null || chmod 777 "$dir/log"
    local up=0 attempt
    for attempt in 1 2 3; do
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
        local tls_socket="" tls_path=""
        if [ "$tls" = tls ]; then
            local tls_port=""
            if [ -f "$dir/tls_port" ] && _stream_server_port_free "$(cat "$dir/tls_port")"; then
                tls_port=$(cat "$dir/tls_port")
            fi
            for try in $(seq 1 40); do
                [ -n "$tls_port" ] && break
                tls_port=$((20000 + (RANDOM * 11 + $$ + try) % 30000))
                [ "$tls_port" != "$port" ] && _stream_server_port_free "$tls_port" && break
                tls_port=""
            done
            [ -n "$tls_port" ] || { echo "stream_server: no free TLS port" >&2; return 1; }
            echo "$tls_port" >"$dir/tls_port"
            # A throw-away self-signed certificate for 127.0.0.1: Icecast wants key and
            # certificate in one file; clients get the certificate alone (DIR/cert.pem).
            if [ ! -f "$dir/server.pem" ]; then
                openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
                    -addext subjectAltName=IP:127.0.0.1 -keyout "$dir/key.pem" \
                    -out "$dir/cert.pem" >/dev/null 2>&1 || { echo "stream_server: openssl failed" >&2; return 1; }
                cat "$dir/cert.pem" "$dir/key.pem" >"$dir/server.pem"
                chmod 644 "$dir/server.pem"
            fi
            tls_socket="<listen-socket><port>$tls_port</port><bind-address>127.0.0.1</bind-address><ssl>1</ssl></listen-socket>"
            tls_path="<ssl-certificate>$dir/server.pem</ssl-certificate>"
        fi
        cat >"$dir/icecast.xml" <<XML
    <icecast>
      <limits><clients>20</clients><sources>4</sources><burst-size>65535</burst-size><source-timeout>10</source-timeout></limits>
      <authentication><source-password>srcpw</source-password><admin-user>admin</admin-user><admin-password>adminpw</admin-password></authentication>
      <hostname>127.0.0.1</hostname>
      <listen-socket><port>$port</port><bind-address>127.0.0.1</bind-address></listen-socket>
      $tls_socket
      <paths>$tls_path<basedir>/usr/share/icecast2</basedir><logdir>$dir/log</logdir>
        <webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot></paths>
      <logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog><loglevel>3</loglevel></logging>
      <security><chroot>0</chroot><changeowner><user>icecast2</user><group>icecast</group></changeowner></security>
    </icecast>
XML
        icecast2 -c "$dir/icecast.xml" >"$dir/icecast.out" 2>&1 &
        local icecast=$!
        echo $icecast >>"$dir/pids"
        # Up when it listens; a port taken meanwhile makes it exit, and a busy machine can
        # keep it from listening for many seconds.
        for try in $(seq 1 300); do
            _stream_server_alive "$icecast" || break
            if ! _stream_server_port_free "$port"; then up=1; break; fi
            sleep 0.1
        done
        if [ $up = 0 ]; then
            echo "stream_server: icecast on port $port did not start (attempt $attempt):" >&2
            cat "$dir/icecast.out" "$dir/log/error.log" >&2 2>/dev/null
            _stream_server_end $(cat "$dir/pids")
            : >"$dir/pids"
            port="" tls_port=""
            rm -f "$dir/port" "$dir/tls_port"
        fi
        [ $up = 1 ] && break
    done
    [ $up = 1 ] || { echo "stream_server: icecast did not start" >&2; stream_server_stop "$dir"; return 1; }
    if [ "$sources" != none ]; then
        stream_server_start_sources "$dir" || { stream_server_stop "$dir"; return 1; }
        sleep "$burst"
        _stream_server_alive "$(head -n 1 "$dir/pids")" ||
            { echo "stream_server: icecast ended" >&2; stream_server_stop "$dir"; return 1; }
    fi
    echo "$port"
}

# A process that has ended but was not yet reaped (a zombie) counts as gone: the sources
# outlive the shell that started them, and whoever inherits them may reap them late.
_stream_server_alive() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# Ends the given PIDs: SIGTERM to all at once, SIGKILL to whatever is left after half a
# second (Icecast takes seconds to finish on its own, and nothing here needs its goodbye),
# then waits until all are gone.
_stream_server_end() {
    local pid n alive
    [ $# -gt 0 ] || return 0
    kill -TERM "$@" 2>/dev/null
    for n in $(seq 1 10); do
        alive=0
        for pid in "$@"; do _stream_server_alive "$pid" && alive=1; done
        [ $alive = 0 ] && return 0
        sleep 0.05
    done
    kill -KILL "$@" 2>/dev/null
    for n in $(seq 1 60); do
        alive=0
        for pid in "$@"; do _stream_server_alive "$pid" && alive=1; done
        [ $alive = 0 ] && return 0
        sleep 0.05
    done
}

stream_server_stop() {
    local dir=$1
    [ -f "$dir/pids" ] || return 0
    # shellcheck disable=SC2046
    _stream_server_end $(cat "$dir/pids")
    : >"$dir/pids"
}

stream_server_start_sources() {
    local dir=$1 port try caps="audio/x-raw,rate=44100,channels=2"
    port=$(cat "$dir/port")
    gst-launch-1.0 -q audiotestsrc is-live=true wave=sine freq=440 ! $caps ! audioconvert ! \
        lamemp3enc target=bitrate bitrate=128 cbr=true ! \
        shout2send ip=127.0.0.1 port="$port" password=srcpw mount=/live.mp3 \
        >"$dir/mp3src.out" 2>&1 &
    echo $! >>"$dir/pids"
    gst-launch-1.0 -q audiotestsrc is-live=true wave=sine freq=440 ! $caps ! audioconvert ! \
        vorbisenc ! oggmux ! shout2send ip=127.0.0.1 port="$port" password=srcpw \
        mount=/live.ogg >"$dir/oggsrc.out" 2>&1 &
    echo $! >>"$dir/pids"
    for try in $(seq 1 100); do
        _stream_server_alive "$(head -n 1 "$dir/pids")" || break
        if _stream_server_mount_listed "$dir" /live.mp3 &&
            _stream_server_mount_listed "$dir" /live.ogg; then
            return 0
        fi
        sleep 0.1
    done
    echo "stream_server: sources did not connect" >&2
    return 1
}

stream_server_stop_sources() {
    local dir=$1
    [ -f "$dir/pids" ] || return 0
    # shellcheck disable=SC2046
    _stream_server_end $(tail -n +2 "$dir/pids")
    head -n 1 "$dir/pids" >"$dir/pids.new" && mv "$dir/pids.new" "$dir/pids"
}

stream_server_set_title() {
    curl -s --max-time 2 -G -u admin:adminpw --data-urlencode "song=$2" \
        "http://127.0.0.1:$(cat "$1/port")/admin/metadata?mount=/live.mp3&mode=updinfo" >/dev/null
}

stream_server_drop_listeners() { # DIR MOUNT AGENT
    local dir=$1 mount=$2 agent=$3 port id
    port=$(cat "$dir/port")
    for id in $(curl -s --max-time 2 -u admin:adminpw \
        "http://127.0.0.1:$port/admin/listclients?mount=$mount" | sed 's/<listener>/\n&/g' |
        grep -F "<UserAgent>$agent" | sed -n 's/.*<ID>\([0-9]*\)<\/ID>.*/\1/p'); do
        curl -s --max-time 2 -u admin:adminpw \
            "http://127.0.0.1:$port/admin/killclient?mount=$mount&id=$id" >/dev/null
        echo "$id"
    done
}

stream_server_listener_agents() {
    # Combined log format: the user agent is the last quoted field.
    sed -n 's/.*"\([^"]*\)" [0-9]*$/\1/p' "$1/log/access.log" 2>/dev/null
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    cmd=$1
    shift
    case "$cmd" in
    start | stop | start_sources | stop_sources | port | set_title | drop_listeners | listener_agents)
        "stream_server_$cmd" "$@"
        ;;
    *)
        echo "usage: $0 start DIR [BURST_SECONDS] [both|none] [tls] | stop DIR | start_sources DIR |" \
            "stop_sources DIR | port DIR | set_title DIR TITLE |" \
            "drop_listeners DIR MOUNT AGENT | listener_agents DIR" >&2
        exit 2
        ;;
    esac
fi
