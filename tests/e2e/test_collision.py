"""test_collision.py -- flying into the canyon wall ahead bounces the jet, and the game goes on."""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gamerun import Game, fail  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game-dir", required=True)
    args = parser.parse_args()
    game = Game(["./vortavia"], cwd=args.game_dir, use_pty=False)
    try:
        game.send(b"x")
        game.close_input()
        game.find_window()
        game.wait_for("Loading Complete!!")
        if "flying without obstacles" in game.text():
            fail("the collision files were not read:\n" + game.text())
        # The view direction is zero until the first turn: a tap aims it.
        game.key_down("Left")
        time.sleep(0.05)
        game.key_up("Left")
        game.key_down("Up")
        game.wait_for("hit \n", timeout=20)
        game.key_up("Up")
        time.sleep(1.0)
        if game.proc.poll() is not None:
            fail("the game ended after the hit:\n" + game.text()[-2000:])
        game.escape()
    finally:
        game.kill()
    print("ok: the wall ahead printed 'hit', the game flew on, Escape -> 1")


if __name__ == "__main__":
    main()
