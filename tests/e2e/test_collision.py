"""test_collision.py -- flying into the canyon wall ahead bounces the jet, and the game goes on."""
from gamerun import Game, fail, game_args
from texts import COMPLETE


def main():
    args = game_args()
    with Game(["./vortavia"], cwd=args.game_dir, feed=b"x") as game:
        game.find_window()
        game.wait_for(COMPLETE)
        if "flying without obstacles" in game.text():
            fail("the collision files were not read:\n" + game.text())
        game.wait_frame()
        # The view direction is zero until the first turn: a drawn turn aims it.
        game.hold_until_picture_changes("Left")
        game.hold("Up", lambda: "hit \n" in game.text(), "'hit' from the wall ahead")
        # Flying on: it still draws frames, and they still turn.
        game.hold_until_picture_changes("Left")
        game.escape()
    print("ok: the wall ahead printed 'hit', the game flew on, Escape -> 1")


if __name__ == "__main__":
    main()
