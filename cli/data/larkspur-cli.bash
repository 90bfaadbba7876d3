# bash completion for larkspur-cli: its commands and subcommands, their
# options, the values some options take and .lkr projects.
# Installed as /usr/share/bash-completion/completions/larkspur-cli.

_larkspur_cli_profile_values='--url --title --email --first-name --last-name --user --password
  --password-file --zip --city --address --country --category --category-addon --telephone
  --keywords --short-description --long-description'

# Sets `values` (options that take a value) and `flags` (options that do not)
# for one command ("submit", "links add", ...). Commands that save a project
# take --wait.
_larkspur_cli_options() {
  values='' flags='--wait'
  case $1 in
    new) values=$_larkspur_cli_profile_values flags='--wait --force' ;;
    set) values=$_larkspur_cli_profile_values ;;
    show) flags='--json --show-password' ;;
    'targets check') values='--target --targets-file --dns-server --jobs --time-out' flags='--wait --json' ;;
    submit)
      values='--target --targets-file --service-base --time-out --engine'
      flags='--wait --all --reset --include-unhealthy' ;;
    'links add') values='--title --note --email --contact --service-base' ;;
    'links update') values='--time-out --service-base' flags='--wait --ip --rank --email' ;;
    'links search') values='--source --service-base' ;;
    'links check') values='--output --service-base' ;;
    'links export') values='--service-base' flags='--details' ;;
    'links '*) values='--service-base' ;;
    report) values='--output --service-base' flags='' ;;
    announce)
      values='--sitemap --urls --endpoint --key-location --service-base'
      flags='--wait --changed-only --check' ;;
    pagerank) values='--service-base' flags='' ;;
    'services '*) flags='' ;;
    *) flags='' ;;
  esac
}

# Files and folders; with an extension, only files that have it.
_larkspur_cli_files() {
  local IFS=$'\n'
  if [[ -n $1 ]]; then
    COMPREPLY=($(compgen -d -- "$cur"; compgen -f -X "!*.$1" -- "$cur"))
  else
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
  compopt -o filenames 2>/dev/null
}

_larkspur_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  local command=${COMP_WORDS[1]} first=2 values flags
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    COMPREPLY=($(compgen -W 'new set show targets submit links report announce pagerank services
      --help --version' -- "$cur"))
    return
  fi
  case $command in
    links | targets | services)
      if ((COMP_CWORD == 2)); then
        [[ $command == links ]] && COMPREPLY=($(compgen -W 'import add delete search update check export' -- "$cur"))
        [[ $command == targets ]] && COMPREPLY=($(compgen -W 'check' -- "$cur"))
        [[ $command == services ]] && COMPREPLY=($(compgen -W 'show set clear' -- "$cur"))
        return
      fi
      command="$command ${COMP_WORDS[2]}" first=3 ;;
  esac
  _larkspur_cli_options "$command"

  # The value of the option before.
  if [[ " $values " == *" $prev "* ]]; then
    case $prev in
      --password-file | --targets-file | --urls | --output) _larkspur_cli_files '' ;;
      --engine) COMPREPLY=($(compgen -W 'http browser' -- "$cur")) ;;
      --source) COMPREPLY=($(compgen -W 'bing-webmaster engines' -- "$cur")) ;;
      --endpoint) COMPREPLY=($(compgen -W 'IndexNow Bing Yandex Seznam Naver Yep' -- "$cur")) ;;
    esac
    return
  fi
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$values $flags" -- "$cur"))
    return
  fi

  # Which positional word this is: options and their values do not count.
  local i positional=0
  for ((i = first; i < COMP_CWORD; i++)); do
    if [[ " $values " == *" ${COMP_WORDS[i]} "* ]]; then
      ((i++))
    elif [[ ${COMP_WORDS[i]} != -* ]]; then
      ((positional++))
    fi
  done
  case $command:$positional in
    pagerank:* | 'targets '*:*) ;;
    'services set:0' | 'services clear:0') COMPREPLY=($(compgen -W 'bing-webmaster open-pagerank' -- "$cur")) ;;
    'services '*:*) ;;
    *:0) _larkspur_cli_files lkr ;;
    'links import:1' | 'links export:1') _larkspur_cli_files '' ;;
  esac
}
complete -F _larkspur_cli larkspur-cli
