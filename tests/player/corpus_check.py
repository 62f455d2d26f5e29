#!/usr/bin/env python3
"""Plays every movie of the conformance corpus with kelmora-render and fails when one crashes or
hangs, or when a picture listed in passing-cases.txt is no longer close (or strict) to the
reference. Exits 77 (skipped) when the corpus is absent."""
import argparse
import concurrent.futures as cf
import json
import os
import subprocess
import sys
import tempfile

SKIP = 77


def load_fidelity(corpus):
    path = os.path.join(corpus, '..', 'tools', 'fidelity.py')
    if not os.path.exists(path):
        return None
    sys.path.insert(0, os.path.dirname(os.path.abspath(path)))
    import fidelity  # noqa: E402
    return fidelity


def read_passing(path):
    wanted = {}
    for line in open(path, encoding='utf-8'):
        line = line.split('#', 1)[0].strip()
        if not line:
            continue
        parts = line.split()
        if len(parts) == 3:
            wanted[(parts[0], parts[1])] = parts[2]
    return wanted


def play(render, folder, frames, timeout):
    work = tempfile.mkdtemp(prefix='kelmora-corpus-')
    png, trace = os.path.join(work, 'out.png'), os.path.join(work, 'out.txt')
    cmd = [render, '--frames', str(frames), '--png', png, '--trace', trace, os.path.join(folder, 'test.swf')]
    try:
        p = subprocess.run(cmd, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=timeout)
        status = f'crash (signal {-p.returncode})' if p.returncode < 0 else 'ok'
    except subprocess.TimeoutExpired:
        status = 'hang'
    for f in (png, trace):
        if os.path.exists(f):
            os.remove(f)
    os.rmdir(work)
    return status


def check_case(args):
    case, corpus, render, timeout, wanted, fidelity = args
    folder = os.path.join(corpus, case['id'])
    problems = []
    listed = {name: level for (cid, name), level in wanted.items() if cid == case['id']}
    if listed and fidelity:
        result = fidelity.run_case(case, corpus, render, timeout, None)
        if result['status'] != 'ok' and not result['status'].startswith('exit'):
            problems.append(f"{case['id']}: {result['status']}")
        for img in result['images']:
            level = listed.get(img['name'])
            if level and not img.get(level):
                problems.append(f"{case['id']} {img['name']}: no longer {level} "
                                f"(mae {img.get('mae')}, far pixels {img.get('far_pixels')})")
        return problems
    status = play(render, folder, max(1, case['frames']), timeout)
    if status != 'ok':
        problems.append(f"{case['id']}: {status}")
    return problems


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument('--render', required=True)
    ap.add_argument('--corpus', required=True)
    ap.add_argument('--passing', required=True)
    ap.add_argument('--jobs', type=int, default=2)
    ap.add_argument('--timeout', type=float, default=20)
    a = ap.parse_args()
    index = os.path.join(a.corpus, 'index.json')
    if not os.path.exists(index):
        print(f'corpus not found at {a.corpus}; skipped')
        return SKIP
    cases = json.load(open(index))
    wanted = read_passing(a.passing)
    fidelity = load_fidelity(a.corpus)
    if fidelity is None:
        print('fidelity.py not found beside the corpus; checking crashes and hangs only')
    jobs = [(c, a.corpus, os.path.abspath(a.render), a.timeout, wanted, fidelity) for c in cases]
    with cf.ThreadPoolExecutor(a.jobs) as ex:
        problems = [p for ps in ex.map(check_case, jobs) for p in ps]
    for p in problems:
        print(p)
    print(f'{len(cases)} movies played, {len(wanted)} pictures checked, {len(problems)} problems')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
